#pragma once

#include <QString>
#include <deque>
#include <string>
#include <vector>

class QDialog;
class QWidget;

// Every modal prompt of the program passes through here, so that tests can answer it instead of
// a user and no test ever waits on a modal window.
class Prompts {
public:
    // A message box with the text, one OK button and the caption "Quorvane".
    static void Message(QWidget* parent, const std::string& text);
    // A question with OK and Cancel, Cancel the default; true for OK.
    static bool Question(QWidget* parent, const std::string& text);
    // Open and save dialogs; an empty path when the user cancels. Filters in Qt's ";;" form.
    static QString OpenFile(QWidget* parent, const QString& filter, const QString& initialName);
    static QString SaveFile(QWidget* parent, const QString& filter, const QString& initialName);
    // The same, also telling which of the ";;"-separated filters was chosen, counted from 0;
    // the one `*chosenFilter` names on entry is shown first.
    static QString SaveFile(QWidget* parent, const QString& filter, const QString& initialName,
                            int* chosenFilter);
    // The same with one checkbox below the file types, captioned `optionText`, checked as
    // `*option` is on entry and telling on return how the user left it.
    static QString SaveFile(QWidget* parent, const QString& filter, const QString& initialName,
                            int* chosenFilter, const QString& optionText, bool* option);
    // A message with a title and one button per text; returns the index of the one chosen.
    // `cancelIndex` is the default and what closing the box means; `warning` shows it as one.
    static int Choice(QWidget* parent, const std::string& title, const std::string& text,
                      const std::vector<std::string>& buttons, int cancelIndex, bool warning);
    // Runs `dialog` modally.
    static void ShowModal(QDialog& dialog);

    struct FileRequest {
        bool save = false;
        QString filter;
        QString initialName;
        int shownFilter = 0;       // the filter the dialog showed first
        QString optionText;        // the checkbox offered, if any
        bool optionShown = false;  // how it was checked on entry
    };
    // What tests see and answer while they intercept the prompts.
    struct Script {
        std::vector<std::string> messages;
        std::vector<FileRequest> fileRequests;
        std::deque<QString> fileAnswers;  // empty or none left: the user cancels
        std::deque<int> filterAnswers;    // the filter chosen with a save; none left: the one shown
        std::deque<bool> optionAnswers;   // the checkbox as left; none left: as it was shown
        std::vector<QString> modalDialogs;  // window titles
        std::vector<std::string> questions;
        std::deque<bool> questionAnswers;  // empty or none left: the user cancels
        struct ChoiceRequest {
            std::string title;
            std::string text;
            std::vector<std::string> buttons;
            int cancelIndex = 0;
        };
        std::vector<ChoiceRequest> choices;
        std::deque<int> choiceAnswers;  // none left: the default (cancel) button
    };
    // While a script is set, prompts are recorded and answered from it; null restores them.
    static void Intercept(Script* script);

    static constexpr char kCaption[] = "Quorvane";
};
