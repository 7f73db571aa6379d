#include "ui/prompts.h"

#include <QCheckBox>
#include <QDialog>
#include <QFileDialog>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <algorithm>

namespace {
Prompts::Script* script = nullptr;

QString NextFileAnswer(bool save, const QString& filter, const QString& name) {
    Prompts::FileRequest request;
    request.save = save;
    request.filter = filter;
    request.initialName = name;
    script->fileRequests.push_back(std::move(request));
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
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(kCaption),
                    QString::fromStdString(text), QMessageBox::Ok, parent);
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
    QMessageBox box(QMessageBox::Question, QString::fromLatin1(kCaption),
                    QString::fromStdString(text), QMessageBox::Ok | QMessageBox::Cancel, parent);
    box.setDefaultButton(QMessageBox::Cancel);  // a password in clear only on a deliberate choice
    return box.exec() == QMessageBox::Ok;
}

int Prompts::Choice(QWidget* parent, const std::string& title, const std::string& text,
                    const std::vector<std::string>& buttons, int cancelIndex, bool warning) {
    if (script != nullptr) {
        script->choices.push_back({title, text, buttons, cancelIndex});
        if (script->choiceAnswers.empty()) return cancelIndex;
        const int answer = script->choiceAnswers.front();
        script->choiceAnswers.pop_front();
        return answer;
    }
    QMessageBox box(warning ? QMessageBox::Warning : QMessageBox::Question,
                    QString::fromStdString(title), QString::fromStdString(text),
                    QMessageBox::NoButton, parent);
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);  // fingerprints get compared
    std::vector<QPushButton*> added;
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        const auto role =
            static_cast<int>(i) == cancelIndex ? QMessageBox::RejectRole : QMessageBox::AcceptRole;
        added.push_back(box.addButton(QString::fromStdString(buttons[i]), role));
    }
    if (cancelIndex >= 0 && cancelIndex < static_cast<int>(added.size())) {
        box.setDefaultButton(added[static_cast<std::size_t>(cancelIndex)]);
        box.setEscapeButton(added[static_cast<std::size_t>(cancelIndex)]);
    }
    box.exec();
    const auto found = std::find(added.begin(), added.end(), box.clickedButton());
    return found == added.end() ? cancelIndex : static_cast<int>(found - added.begin());
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
    return SaveFile(parent, filter, initialName, chosenFilter, QString(), nullptr);
}

QString Prompts::SaveFile(QWidget* parent, const QString& filter, const QString& initialName,
                          int* chosenFilter, const QString& optionText, bool* option) {
    const int shown = std::max(0, *chosenFilter);
    *chosenFilter = shown;
    if (script != nullptr) {
        if (!script->filterAnswers.empty()) {
            *chosenFilter = script->filterAnswers.front();
            script->filterAnswers.pop_front();
        }
        const bool optionShown = option != nullptr && *option;
        if (option != nullptr && !script->optionAnswers.empty()) {
            *option = script->optionAnswers.front();
            script->optionAnswers.pop_front();
        }
        QString answer = NextFileAnswer(true, filter, initialName);
        FileRequest& request = script->fileRequests.back();
        request.shownFilter = shown;
        request.optionText = option != nullptr ? optionText : QString();
        request.optionShown = optionShown;
        return answer;
    }
    QFileDialog dialog(parent, QString(), QString(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);  // asks before replacing a file
    dialog.setFileMode(QFileDialog::AnyFile);
    QCheckBox* box = nullptr;
    if (option != nullptr) {
        // A platform's own dialog takes no extra controls.
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
            box = new QCheckBox(optionText, &dialog);
            box->setObjectName(QStringLiteral("saveOption"));
            box->setChecked(*option);
            grid->addWidget(box, grid->rowCount(), 0, 1, -1);
        }
    }
    const QStringList filters = dialog.nameFilters();
    if (shown < filters.size()) dialog.selectNameFilter(filters[shown]);
    dialog.selectFile(initialName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    *chosenFilter = std::max<int>(0, dialog.nameFilters().indexOf(dialog.selectedNameFilter()));
    if (box != nullptr) *option = box->isChecked();
    return dialog.selectedFiles().front();
}

void Prompts::ShowModal(QDialog& dialog) {
    if (script != nullptr) {
        script->modalDialogs.push_back(dialog.windowTitle());
        return;
    }
    dialog.exec();
}
