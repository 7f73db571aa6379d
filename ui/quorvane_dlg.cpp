#include "ui/quorvane_dlg.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>

#include "session/session_worker.h"
#include "texts/text_table.h"
#include "ui/about_dlg.h"
#include "ui/app_icon.h"
#include "ui/center_over.h"
#include "ui/export_command.h"
#include "ui/list_counts.h"
#include "ui/login_option_dlg.h"
#include "ui/point_filter_model.h"
#include "ui/point_list_view.h"
#include "ui/point_menu.h"
#include "ui/point_table_model.h"
#include "ui/prompts.h"
#include "ui/qt_text.h"
#include "ui/qt_translations.h"
#include "ui/server_choice.h"
#include "ui/server_history.h"
#include "ui/status_line.h"
#include "ui/trust_prompt.h"
#include "ui/window_state.h"
#include "ui/window_title.h"

CQuorvaneDlg::CQuorvaneDlg(Timing t, QWidget* parent) : QDialog(parent), timing(t) {
    setObjectName(QStringLiteral("mainWindow"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    setSizeGripEnabled(false);
    session = std::make_unique<ScanSession>(timing);

    BuildControls();
    ConnectSession();
    exportCommand =
        new ExportCommand(this, *session, *filterModel, *listView, *filterBox, *exportButton,
                          [this](const std::string& text) { statusLine->SetStatus(text); });
    setWindowIcon(AppIcon());
    setWindowTitle(Q(MainWindowTitle()));
    urlBox->setText(QStringLiteral("opc.tcp://127.0.0.1:4840"));

    optionsDialog = std::make_unique<CLoginOptionDlg>(this, *session);
    optionsDialog->hide();
    optionsDialog->SetUrlSource([this] { return urlBox->text().toStdString(); });
    history = std::make_unique<ServerHistory>();
    servers = new ServerChoice(*urlBox, *history, *optionsDialog, *this);
    servers->RestoreLastServer();
    RestoreWindowState(history->Window(), *this, *listView, [this] { OnLanguage(); });
    menu = std::make_unique<PointMenu>(PointMenu::Parts{
        this, session.get(), model, filterModel, listView, history.get(), exportCommand,
        optionsDialog.get(), [this] { return urlBox->text().toStdString(); },
        [this](const std::string& text) { statusLine->SetStatus(text); }, [this] { OpenHistory(); },
        [this] { OpenInventory(); }});

    auto* about = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(about, &QShortcut::activated, this, &CQuorvaneDlg::ShowAbout);
    urlBox->setFocus();
}

CQuorvaneDlg::~CQuorvaneDlg() {
    Teardown();
    // The models follow the session's rows, which go before the children do: they go first.
    listView->setModel(nullptr);
    delete filterModel;
    delete model;
    filterModel = nullptr;
    model = nullptr;
}

void CQuorvaneDlg::BuildControls() {
    model = new PointTableModel(session->Rows(), this);
    filterModel = new PointFilterModel(model, this);
    const MainControls c = BuildMainControls(*this, *filterModel);
    serverLabel = c.serverLabel;
    urlBox = c.urlBox;
    connectButton = c.connectButton;
    optionButton = c.optionButton;
    languageButton = c.languageButton;
    filterBox = c.filterBox;
    listView = c.listView;
    exportButton = c.exportButton;
    statusLine = c.statusLine;

    counts = new ListCounts({statusLine, filterModel, filterBox, session.get(), &scans}, this);
    connect(filterBox, &QLineEdit::textChanged, this, [this](const QString& text) {
        listView->KeepSelectionAcross([&] { filterModel->SetFilterText(text.toStdString()); });
        counts->FilterChanged();
    });
    connect(listView, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& index) { menu->OpenDetails(index.row()); });
    connect(listView, &PointListView::EnterPressed, this, [this] {
        if (listView->currentIndex().isValid()) menu->OpenDetails(listView->currentIndex().row());
    });

    connect(connectButton, &QPushButton::clicked, this, &CQuorvaneDlg::OnConnect);
    connect(optionButton, &QPushButton::clicked, this, &CQuorvaneDlg::OnOption);
    connect(languageButton, &QPushButton::clicked, this, &CQuorvaneDlg::OnLanguage);
    connect(exportButton, &QPushButton::clicked, this, &CQuorvaneDlg::OnExport);
    connect(listView, &PointListView::DeletePressed, this, [this] { menu->DeleteSelectedRows(); });
    connect(listView, &PointListView::CopyPressed, this, [this] {
        if (listView->currentIndex().isValid())
            menu->CopyIdentifier(listView->currentIndex().row());
    });
}

void CQuorvaneDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (listView == nullptr) return;
    ApplyResizeRules(*this, {serverLabel, urlBox, connectButton, optionButton, languageButton,
                             filterBox, listView, exportButton, statusLine});
}

void CQuorvaneDlg::SetCommandButtonsEnabled(bool enabled) {
    optionButton->setEnabled(enabled);
    languageButton->setEnabled(enabled);
    exportButton->setEnabled(enabled);
}

void CQuorvaneDlg::OnLanguage() {
    language = language == 0 ? 1 : 0;
    connectButton->setText(
        Q(Text(StopsOnCommand(session->State()) ? TextKey::Stop : TextKey::Connect)));
    optionButton->setText(Q(Text(TextKey::Option)));
    exportButton->setText(Q(Text(ExportRunning() ? TextKey::Cancel : TextKey::Export)));
    languageButton->setText(Q(Text(TextKey::LanguageName)));
    serverLabel->setText(Q(Text(TextKey::ServerLabel)));
    setWindowTitle(Q(MainWindowTitle()));
    filterBox->setPlaceholderText(Q(Text(TextKey::FilterPlaceholder)));
    if (servers != nullptr) servers->RefreshTexts();
    model->RetellTexts();
    UseQtTranslations(language);
}

ServerBox* CQuorvaneDlg::Servers() const { return servers->Box(); }

void CQuorvaneDlg::contextMenuEvent(QContextMenuEvent* event) {
    menu->OpenContextMenu(event->globalPos());
    event->accept();
}

void CQuorvaneDlg::OnOption() {
    if (!optionsDialog) return;
    // Texts first: the dialog is centred at the size it is shown with.
    optionsDialog->RefreshTexts();
    optionsDialog->ensurePolished();
    optionsDialog->adjustSize();
    CenterOver(*optionsDialog, *this);
    optionsDialog->show();
}

bool CQuorvaneDlg::ExportRunning() const {
    return exportCommand != nullptr && exportCommand->Running();
}

void CQuorvaneDlg::OnExport() { exportCommand->Run(urlBox->text().toStdString()); }

void CQuorvaneDlg::ShowAbout() {
    CAboutDlg about(this);
    Prompts::ShowModal(about);
}

void CQuorvaneDlg::keyPressEvent(QKeyEvent* event) {
    // Escape would close the whole tool; the window closes only through its close box.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CQuorvaneDlg::done(int result) {
    if (history) SaveWindowState(*history, *this, *listView);
    Teardown();
    QDialog::done(result);
}

void CQuorvaneDlg::Teardown() {
    // The export reads the rows, which go below; what waited for it is for nobody now.
    if (exportCommand != nullptr) exportCommand->End();
    if (session) session->Close();
}

void CQuorvaneDlg::RecordScan(bool cutShort) {
    scans.Record(
        session->SessionSettings(), session->SessionTrust(), history->KeepScanHistory(),
        session->Rows(), cutShort,
        [this](const std::string& error) { statusLine->SetStatus(error); },
        [this](const ScanRecorder::Outcome& outcome) {
            if (outcome.since) model->SetChanges(outcome.copiedFrom, outcome.since->pointKinds);
            // After what the status line says now: the count, or that the scan was stopped.
            if (!scans.SinceLastScan().empty()) statusLine->Append(scans.SinceLastScan());
        });
}

void CQuorvaneDlg::OpenHistory() {
    scans.OpenHistory(this, urlBox->text().trimmed().toStdString());
}

void CQuorvaneDlg::OpenInventory() {
    scans.OpenInventory(this, [this](const QString& url) {
        urlBox->setText(url);
        servers->RestoreServer(url);  // with the options it was last connected with, if remembered
    });
}
