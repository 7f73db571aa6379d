#pragma once

// Qt's own texts (message-box buttons, file dialogs, the line edits' menus) in the program's
// language: Qt's shipped Chinese translations while `language` is 0, Qt's built-in English
// otherwise. Call after every change of language; needs the application object.
void UseQtTranslations(int language);

// Whether Qt's Chinese translations are installed right now.
bool QtTranslationsInstalled();
