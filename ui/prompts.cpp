#include "ui/prompts.h"

#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>

#include <algorithm>

namespace {
Prompts::Script* script = nullptr;

QString NextFileAnswer(bool save, const QString& filter, const QString& name) {
    script->fileRequests.push_back({save, filter, name});
    if (script->fileAnswers.empty()) return {};
    QString answer = script->fileAnswers.front();
    script->fileAnswers.pop_front();
    return answer;
}
}  // namespace

void Prompts::Intercept(Script* s) { script = s; }

void Prompts::Message(QWidget* parent, const std::string& text) {
    if (script != nullptr) {
        script->messages.push_back(text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(kCaption), QString::fromStdString(text),
                    QMessageBox::Ok, parent);
    box.exec();
}

bool Prompts::Question(QWidget* parent, const std::string& text) {
    if (script != nullptr) {
        script->questions.push_back(text);
        if (script->questionAnswers.empty()) return false;
        const bool answer = script->questionAnswers.front();
        script->questionAnswers.pop_front();
        return answer;
    }
    QMessageBox box(QMessageBox::Question, QString::fromLatin1(kCaption), QString::fromStdString(text),
                    QMessageBox::Ok | QMessageBox::Cancel, parent);
    box.setDefaultButton(QMessageBox::Cancel);  // a password in clear only on a deliberate choice
    return box.exec() == QMessageBox::Ok;
}

QString Prompts::OpenFile(QWidget* parent, const QString& filter, const QString& initialName) {
    if (script != nullptr) return NextFileAnswer(false, filter, initialName);
    QFileDialog dialog(parent, QString(), QString(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(QStringLiteral("der"));
    dialog.selectFile(initialName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().front();
}

QString Prompts::SaveFile(QWidget* parent, const QString& filter, const QString& initialName) {
    int ignored = 0;
    return SaveFile(parent, filter, initialName, &ignored);
}

QString Prompts::SaveFile(QWidget* parent, const QString& filter, const QString& initialName,
                          int* chosenFilter) {
    *chosenFilter = 0;
    if (script != nullptr) {
        if (!script->filterAnswers.empty()) {
            *chosenFilter = script->filterAnswers.front();
            script->filterAnswers.pop_front();
        }
        return NextFileAnswer(true, filter, initialName);
    }
    QFileDialog dialog(parent, QString(), QString(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);  // asks before replacing a file
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.selectFile(initialName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    *chosenFilter = std::max<int>(0, dialog.nameFilters().indexOf(dialog.selectedNameFilter()));
    return dialog.selectedFiles().front();
}

void Prompts::ShowModal(QDialog& dialog) {
    if (script != nullptr) {
        script->modalDialogs.push_back(dialog.windowTitle());
        return;
    }
    dialog.exec();
}
