#include "ui/quorvane_dlg.h"

#include <QAction>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>

#include "session/session_worker.h"
#include "texts/locale_language.h"
#include "texts/text_table.h"
#include "ui/about_dlg.h"
#include "ui/app_icon.h"
#include "ui/dialog_layout.h"
#include "ui/discovery/discovery_dlg.h"
#include "ui/export_command.h"
#include "ui/filter_box.h"
#include "ui/history/scan_recorder.h"
#include "ui/login_option_dlg.h"
#include "ui/named_control.h"
#include "ui/point_details_dlg.h"
#include "ui/point_filter_model.h"
#include "ui/point_list_view.h"
#include "ui/point_table_model.h"
#include "ui/prompts.h"
#include "ui/qt_text.h"
#include "ui/qt_translations.h"
#include "ui/server_box.h"
#include "ui/server_history.h"
#include "ui/trust_prompt.h"
#include "ui/window_title.h"
#include "ui/write_value_dlg.h"

namespace {

// The width `button` asks for with the widest of the captions of `keys` in either language.
int CaptionWidth(QPushButton& button, std::initializer_list<TextKey> keys) {
    const QString shown = button.text();
    int widest = 0;
    for (TextKey key : keys) {
        for (int lang : {0, 1}) {
            button.setText(Q(Text(key, lang)));
            widest = std::max(widest, button.sizeHint().width());
        }
    }
    button.setText(shown);
    return widest;
}

// Room between the controls of the top row: the template's 4 dialog units.
int Gap(double scale) { return DluToPixels(4, 0, scale).width(); }

}  // namespace

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
                          [this](const std::string& text) { SetStatus(text); });
    setWindowIcon(AppIcon());
    setWindowTitle(Q(MainWindowTitle()));
    urlBox->setText(QStringLiteral("opc.tcp://127.0.0.1:4840"));

    // Columns from the list's client width at the template size.
    listView->SetColumnWidths(ColumnWidths(listView->ClientWidth()));

    optionsDialog = std::make_unique<CLoginOptionDlg>(this);
    optionsDialog->hide();
    optionsDialog->SetUrlSource([this] { return urlBox->text().toStdString(); });
    RestoreWindowState();

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
    const double scale = logicalDpiX() / 96.0;
    resize(DluToPixels(635, 357, scale));

    serverLabel =
        Named(new QLabel(QStringLiteral("OPC UA 服务器："), this), "serverLabel", kServerLabel);
    serverLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    serverLabel->setGeometry(DluToPixels({9, 12, 87, 8}, scale));

    urlBox = Named(new QLineEdit(this), "urlBox", kUrlBox);
    urlBox->setGeometry(DluToPixels({99, 9, 301, 13}, scale));

    // Buttons keep their template places and widths unless a caption, in either language and at
    // the desktop's font, needs more; then the buttons to their right move along.
    connectButton =
        Named(new QPushButton(QStringLiteral("连接"), this), "connectButton", kConnectButton);
    QRect connectRect = DluToPixels({402, 9, 35, 14}, scale);
    connectRect.setWidth(FittingWidth(
        connectRect.width(), {CaptionWidth(*connectButton, {TextKey::Connect, TextKey::Stop})}));
    connectButton->setGeometry(connectRect);
    connectButton->setDefault(true);

    optionButton =
        Named(new QPushButton(QStringLiteral("选项"), this), "optionButton", kOptionButton);
    QRect optionRect = DluToPixels({441, 9, 36, 14}, scale);
    optionRect.moveLeft(
        std::max(optionRect.x(), connectRect.x() + connectRect.width() + Gap(scale)));
    optionRect.setWidth(
        FittingWidth(optionRect.width(), {CaptionWidth(*optionButton, {TextKey::Option})}));
    optionButton->setGeometry(optionRect);

    languageButton =
        Named(new QPushButton(QStringLiteral("中文"), this), "languageButton", kLanguageButton);
    QRect languageRect = DluToPixels({592, 9, 41, 14}, scale);
    languageRect.setWidth(FittingWidth(languageRect.width(),
                                       {CaptionWidth(*languageButton, {TextKey::LanguageName})}));
    languageButton->setGeometry(languageRect);

    filterBox = Named(new FilterBox(this), "filterBox", kFilterBox);
    filterBox->setPlaceholderText(Q(Text(TextKey::FilterPlaceholder)));
    filterBox->setClearButtonEnabled(true);
    filterBox->setGeometry(
        FilterBoxRect(width(), optionRect, urlBox->geometry(), languageRect.width(), Gap(scale)));

    listView = Named(new PointListView(this), "pointList", kPointList);
    listView->setGeometry(DluToPixels({2, 26, 630, 307}, scale));
    model = new PointTableModel(session->Rows(), this);
    filterModel = new PointFilterModel(model, this);
    listView->setModel(filterModel);

    exportButton =
        Named(new QPushButton(QStringLiteral("导出"), this), "exportButton", kExportButton);
    QRect exportRect = DluToPixels({582, 337, 50, 17}, scale);
    exportRect.setWidth(FittingWidth(
        exportRect.width(), {CaptionWidth(*exportButton, {TextKey::Export, TextKey::Cancel})}));
    exportButton->setGeometry(exportRect);

    statusLine = Named(new QLabel(this), "statusLine", kStatusLine);
    statusLine->setGeometry(DluToPixels({3, 341, 573, 13}, scale));

    // Enter presses the focused button; Connect answers it only when no other button has focus.
    for (QPushButton* b : {connectButton, optionButton, languageButton, exportButton})
        b->setAutoDefault(true);

    // The list keeps its header and three rows; the top row keeps a filter box of 12 characters.
    const int listMinHeight = listView->horizontalHeader()->sizeHint().height() +
                              3 * listView->verticalHeader()->defaultSectionSize() +
                              2 * listView->frameWidth();
    setMinimumSize(MinimumClientSize(optionRect, languageRect.width(),
                                     filterBox->fontMetrics().averageCharWidth() * 12 + 30,
                                     Gap(scale), listView->y(), listMinHeight));

    connect(filterBox, &QLineEdit::textChanged, this, &CQuorvaneDlg::OnFilterTextChanged);
    connect(filterModel, &PointFilterModel::CountsChanged, this, [this] {
        if (!filterBox->text().trimmed().isEmpty() && !WalkRunning()) {
            ShowFilterCount();
        } else {
            ShowCounts();
        }
    });
    connect(listView, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& index) { OpenDetails(index.row()); });
    connect(listView, &PointListView::EnterPressed, this, [this] {
        if (listView->currentIndex().isValid()) OpenDetails(listView->currentIndex().row());
    });

    connect(connectButton, &QPushButton::clicked, this, &CQuorvaneDlg::OnConnect);
    connect(optionButton, &QPushButton::clicked, this, &CQuorvaneDlg::OnOption);
    connect(languageButton, &QPushButton::clicked, this, &CQuorvaneDlg::OnLanguage);
    connect(exportButton, &QPushButton::clicked, this, &CQuorvaneDlg::OnExport);
    connect(listView, &PointListView::DeletePressed, this, &CQuorvaneDlg::DeleteSelectedRows);
    connect(listView, &PointListView::CopyPressed, this, [this] {
        if (listView->currentIndex().isValid()) CopyIdentifier(listView->currentIndex().row());
    });
}

void CQuorvaneDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    ApplyResizeRules();
}

void CQuorvaneDlg::ApplyResizeRules() {
    if (listView == nullptr) return;
    const MainWindowLayout l =
        LayoutForClient(size(), listView->pos(), languageButton->size(), exportButton->size());
    listView->setGeometry(l.list);
    statusLine->setGeometry(l.status);
    languageButton->setGeometry(l.language);
    exportButton->setGeometry(l.exportButton);
    const double scale = logicalDpiX() / 96.0;
    filterBox->setGeometry(FilterBoxRect(width(), optionButton->geometry(), urlBox->geometry(),
                                         languageButton->width(), Gap(scale)));
    // Widths the user dragged stay as they are.
    if (!listView->UserSizedColumns())
        listView->SetColumnWidths(ColumnWidths(listView->ClientWidth()));
}

void CQuorvaneDlg::OnFilterTextChanged(const QString& text) {
    listView->KeepSelectionAcross(
        [this, &text] { filterModel->SetFilterText(text.toStdString()); });
    if (!text.trimmed().isEmpty()) {
        ShowFilterCount();
    } else {
        ShowCounts();
    }
}

void CQuorvaneDlg::ShowFilterCount() {
    std::string count = FormatText(TextKey::FilterCount, filterModel->rowCount());
    const auto at = count.find("%d");
    if (at != std::string::npos) count.replace(at, 2, std::to_string(filterModel->TotalCount()));
    SetStatus(count);
    statusShowsCounts = true;
}

void CQuorvaneDlg::ShowCounts() {
    // Only a count is replaced: a message about the connection stays until the next one.
    if (!statusShowsCounts || WalkRunning() || Connecting()) return;
    if (!filterBox->text().trimmed().isEmpty()) {
        ShowFilterCount();
        return;
    }
    std::string count = FormatText(totalCountKey, static_cast<long long>(session->Rows().Size()));
    if (!sinceLastScanText.empty()) count += "  " + sinceLastScanText;
    SetStatus(count);
    statusShowsCounts = true;
}

void CQuorvaneDlg::SetStatus(const std::string& text) {
    statusShowsCounts = false;
    if (statusLine->text() != Q(text)) statusLine->setText(Q(text));
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
    serverBox->SetForgetText(Q(Text(TextKey::ForgetServer)));
    model->RetellTexts();
    UseQtTranslations(language);
}

void CQuorvaneDlg::ShowRememberedServers() {
    QStringList urls;
    for (const ConnectionSettings& s : history->Servers()) urls << Q(s.url);
    serverBox->SetServers(urls);
}

void CQuorvaneDlg::RestoreServer(const QString& url) {
    if (const auto remembered = history->Find(url.toStdString())) {
        urlBox->setText(url);
        optionsDialog->Restore(*remembered);
    }
}

void CQuorvaneDlg::ForgetServer(const QString& url) {
    history->Forget(url.toStdString());
    ShowRememberedServers();
}

// A first start finds nothing and looks as it always did.
void CQuorvaneDlg::RestoreWindowState() {
    history = std::make_unique<ServerHistory>();
    serverBox = new ServerBox(urlBox);
    serverBox->SetForgetText(Q(Text(TextKey::ForgetServer)));
    connect(serverBox, &ServerBox::Chosen, this, &CQuorvaneDlg::RestoreServer);
    connect(serverBox, &ServerBox::ForgetRequested, this, &CQuorvaneDlg::ForgetServer);
    // Find servers: a command in the URL box that opens the (non-modal) discovery dialog.
    QAction* findServers = urlBox->addAction(
        style()->standardIcon(QStyle::SP_FileDialogContentsView), QLineEdit::TrailingPosition);
    findServers->setObjectName(QStringLiteral("findServersAction"));
    findServers->setToolTip(
        Q(Text(TextKey::FindServers, 0) + " / " + Text(TextKey::FindServers, 1)));
    connect(findServers, &QAction::triggered, this, [this] {
        auto* dialog = findChild<CDiscoveryDlg*>();
        if (dialog == nullptr) {
            dialog = new CDiscoveryDlg(history.get(), this);
            connect(dialog, &CDiscoveryDlg::UseServer, this, [this](const ConnectionSettings& s) {
                urlBox->setText(Q(s.url));
                optionsDialog->Restore(s);
                ShowRememberedServers();
            });
        }
        dialog->show();
        dialog->raise();
    });
    ShowRememberedServers();
    if (!history->Servers().empty()) RestoreServer(Q(history->Servers().front().url));
    const ServerHistory::WindowState& saved = history->Window();
    // A first start speaks the desktop's language; later ones the language last used.
    const int wanted = saved.language ? *saved.language : LocaleLanguageOfEnvironment();
    if (wanted != language) OnLanguage();
    if (saved.size) resize(saved.size->expandedTo(minimumSize()));
    if (saved.columnWidths) listView->RestoreColumnWidths(*saved.columnWidths);
}

void CQuorvaneDlg::SaveWindowState() {
    if (!history) return;
    std::array<int, kColumnCount> widths{};
    for (int c = 0; c < kColumnCount; ++c) widths[c] = listView->columnWidth(c);
    history->SaveWindow(language, size(), widths);
}

void CQuorvaneDlg::CenterOverThis(QWidget& window) const {
    const QRect main = frameGeometry();
    const QRect own = window.frameGeometry();
    window.move(main.left() + (main.width() - own.width()) / 2,
                main.top() + (main.height() - own.height()) / 2);
}

void CQuorvaneDlg::OnOption() {
    if (!optionsDialog) return;
    // Texts first: the dialog is centred at the size it is shown with.
    optionsDialog->RefreshTexts();
    optionsDialog->ensurePolished();
    optionsDialog->adjustSize();
    CenterOverThis(*optionsDialog);
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
    SaveWindowState();
    Teardown();
    QDialog::done(result);
}

void CQuorvaneDlg::Teardown() {
    // The export reads the rows, which go below; what waited for it is for nobody now.
    if (exportCommand != nullptr) exportCommand->End();
    if (session) session->Close();
}
