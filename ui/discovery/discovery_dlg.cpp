#include "ui/discovery/discovery_dlg.h"

#include <QCheckBox>
#include <QDateTime>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "discovery/background_discovery.h"
#include "discovery/endpoint_choice.h"
#include "discovery/local_subnets.h"
#include "discovery/report/discovery_export.h"
#include "discovery/report/findings_history.h"
#include "discovery/security_findings.h"
#include "engine/pki_files.h"
#include "engine/trust_store.h"
#include "export/replacing_file.h"
#include "store/store_location.h"
#include "ui/discovery/discovery_choice.h"
#include "ui/discovery/discovery_table_model.h"
#include "ui/named_control.h"
#include "ui/prompts.h"
#include "ui/qt_text.h"
#include "ui/server_history.h"

namespace {

QString Joined(const std::vector<std::string>& items) {
    QStringList list;
    for (const std::string& item : items) list << Q(item);
    return list.join(QStringLiteral(", "));
}

QString PortsText(const std::vector<std::uint16_t>& ports) {
    QStringList list;
    for (std::uint16_t p : ports) list << QString::number(p);
    return list.join(QLatin1Char(','));
}

// On the run's thread, so that the window does not wait for the database: the findings go
// into the history, or a note says why they could not.
void RecordFound(DiscoveryResult& result, const std::filesystem::path& store) {
    if (store.empty() || result.servers.empty()) return;
    InventoryStore::Opened opened = InventoryStore::Open(store);
    const std::int64_t now = QDateTime::currentMSecsSinceEpoch();
    if (!opened.store) {
        result.notes.push_back({TextKey::StoreCannotOpen, store.string()});
    } else if (!RecordFindings(*opened.store, result.servers, now)) {
        result.notes.push_back({TextKey::StoreWriteFailed, opened.store->LastError()});
    }
}

}  // namespace

CDiscoveryDlg::CDiscoveryDlg(ServerHistory* history, QWidget* parent)
    : QDialog(parent), history(history), findingsStore(DefaultInventoryPath()) {
    setObjectName(QStringLiteral("discoveryDialog"));
    setModal(false);
    auto* form = new QFormLayout;
    rangesLabel = new QLabel(this);
    rangesBox = Named(new QLineEdit(Joined(LocalSubnets()), this), "rangesBox", 0);
    rangesBox->setPlaceholderText(QStringLiteral("10.1.2.0/24, 10.1.2.10-10.1.2.60, plc-7"));
    portsLabel = new QLabel(this);
    portsBox = Named(new QLineEdit(PortsText(DefaultPorts()), this), "portsBox", 0);
    ldsLabel = new QLabel(this);
    ldsBox = Named(new QLineEdit(QString::fromLatin1(kLocalDiscoveryUrl), this), "ldsBox", 0);
    mdnsBox = Named(new QCheckBox(this), "mdnsBox", 0);
    mdnsBox->setChecked(true);
    form->addRow(rangesLabel, rangesBox);
    form->addRow(portsLabel, portsBox);
    form->addRow(ldsLabel, ldsBox);
    form->addRow(QString(), mdnsBox);
    urlsLabel = new QLabel(this);
    urlsBox = Named(new QLineEdit(this), "urlsBox", 0);
    urlsBox->setPlaceholderText(QStringLiteral("opc.tcp://plc-1:4840, opc.tcp://10.1.2.3:48010"));
    rememberedBox = Named(new QCheckBox(this), "rememberedBox", 0);
    rememberedBox->setChecked(history != nullptr && !history->Servers().empty());
    rememberedBox->setEnabled(history != nullptr);
    form->addRow(urlsLabel, urlsBox);
    form->addRow(QString(), rememberedBox);

    startButton = Named(new QPushButton(this), "startButton", 0);
    progressLine = Named(new QLabel(this), "progressLine", 0);
    auto* runRow = new QHBoxLayout;
    runRow->addWidget(startButton);
    runRow->addWidget(progressLine, 1);

    model = new DiscoveryTableModel(this);
    table = Named(new QTableView(this), "serverTable", 0);
    table->setModel(model);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->horizontalHeader()->setStretchLastSection(true);
    table->verticalHeader()->hide();

    useButton = Named(new QPushButton(this), "useButton", 0);
    exportButton = Named(new QPushButton(this), "exportServersButton", 0);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(useButton);
    buttons->addWidget(exportButton);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(runRow);
    layout->addWidget(table, 1);
    layout->addLayout(buttons);
    resize(820, 520);

    connect(startButton, &QPushButton::clicked, this, &CDiscoveryDlg::OnStart);
    connect(useButton, &QPushButton::clicked, this, &CDiscoveryDlg::OnUse);
    connect(exportButton, &QPushButton::clicked, this, &CDiscoveryDlg::OnExport);
    connect(table, &QTableView::doubleClicked, this, &CDiscoveryDlg::OnUse);
    Retranslate();
}

CDiscoveryDlg::~CDiscoveryDlg() {
    // Cancelled and joined while the dialog is whole; what it posted goes with the dialog.
    run.reset();
}

void CDiscoveryDlg::showEvent(QShowEvent* event) {
    Retranslate();
    QDialog::showEvent(event);
}

void CDiscoveryDlg::Retranslate() {
    setWindowTitle(Q(Text(TextKey::FindServersTitle)));
    rangesLabel->setText(Q(Text(TextKey::SweepRanges)));
    portsLabel->setText(Q(Text(TextKey::SweepPorts)));
    ldsLabel->setText(Q(Text(TextKey::LdsUrls)));
    mdnsBox->setText(Q(Text(TextKey::UseMdns)));
    urlsLabel->setText(Q(Text(TextKey::GivenUrls)));
    rememberedBox->setText(Q(Text(TextKey::UseRemembered)));
    startButton->setText(Q(Text(Running() ? TextKey::Cancel : TextKey::StartDiscovery)));
    useButton->setText(Q(Text(TextKey::UseServer)));
    exportButton->setText(Q(Text(TextKey::ExportServers)));
    model->Retranslate();
}

void CDiscoveryDlg::OnStart() {
    if (Running()) {
        run->Cancel();
        return;
    }
    DiscoveryRequest request;
    for (const std::string& range : SplitList(rangesBox->text())) {
        const RangeParse parse = ParseRange(range);
        if (parse.error) {
            Prompts::Message(this, Text(parse.error->key) + parse.error->detail);
            return;
        }
        request.hosts.insert(request.hosts.end(), parse.hosts.begin(), parse.hosts.end());
    }
    const PortParse ports = ParsePorts(portsBox->text().toStdString());
    if (ports.error) {
        Prompts::Message(this, Text(ports.error->key) + ports.error->detail);
        return;
    }
    request.ports = ports.ports;
    request.ldsUrls = SplitList(ldsBox->text());
    request.mdns = mdnsBox->isChecked();
    request.urls = SplitList(urlsBox->text());
    if (history != nullptr && rememberedBox->isChecked()) {
        for (const ConnectionSettings& remembered : history->Servers())
            request.urls.push_back(remembered.url);
    }
    model->Clear();
    progressLine->clear();
    // Each event is a copy posted to this thread; the run never waits for the window.
    DiscoveryEvents events;
    events.progress = [this](const DiscoveryProgress& p) {
        QMetaObject::invokeMethod(
            this, [this, p] { ShowProgress(p.probesDone, p.probesTotal, p.servers); },
            Qt::QueuedConnection);
    };
    events.serverFound = [this](const DiscoveredServer& server) {
        QMetaObject::invokeMethod(
            this, [this, server] { model->Put(server); }, Qt::QueuedConnection);
    };
    events.otherPort = [this](const OtherPort& other) {
        QMetaObject::invokeMethod(
            this, [this, other] { model->AddOther(other); }, Qt::QueuedConnection);
    };
    const bool keep = history == nullptr || history->KeepScanHistory();
    run = std::make_unique<BackgroundDiscovery>(
        std::move(request), TrustStore(PkiRoot()).Load().certificates, std::move(events),
        [this, store = keep ? findingsStore : std::filesystem::path()](DiscoveryResult result) {
            RecordFound(result, store);
            QMetaObject::invokeMethod(
                this,
                [this, result = std::move(result)]() mutable { OnFinished(std::move(result)); },
                Qt::QueuedConnection);
        });
    startButton->setText(Q(Text(TextKey::Cancel)));
}

void CDiscoveryDlg::ShowProgress(qulonglong done, qulonglong total, qulonglong servers) {
    std::string text = Text(TextKey::DiscoverProgress);
    for (const qulonglong n : {done, total, servers}) {
        const auto at = text.find("%d");
        if (at != std::string::npos) text.replace(at, 2, std::to_string(n));
    }
    progressLine->setText(Q(text));
}

void CDiscoveryDlg::OnFinished(DiscoveryResult result) {
    run.reset();  // its thread has nothing left to do but end
    QStringList lines;
    for (const DiscoveryNote& note : result.notes) lines << Q(Text(note.key) + note.detail);
    lines << Q(SummaryLine(result.servers, language));
    progressLine->setText(lines.join(QStringLiteral("; ")));
    model->SetAll(std::move(result.servers), std::move(result.otherPorts));
    startButton->setText(Q(Text(TextKey::StartDiscovery)));
    RememberFound();
}

void CDiscoveryDlg::RememberFound() {
    if (history == nullptr) return;
    // The first found ends up first; servers remembered before keep their own options.
    const auto& servers = model->Servers();
    for (auto s = servers.rbegin(); s != servers.rend(); ++s) {
        const EndpointOffer* endpoint = PreferredEndpoint(*s);
        if (endpoint == nullptr) continue;
        const ConnectionSettings settings = SettingsForEndpoint(*s, *endpoint);
        if (!history->Find(settings.url)) history->Remember(settings);
    }
}

void CDiscoveryDlg::OnUse() {
    const QModelIndex current = table->currentIndex();
    const DiscoveredServer* server = model->ServerAt(current.isValid() ? current.row() : -1);
    if (server == nullptr) return;
    const EndpointOffer* endpoint = PreferredEndpoint(*server);
    if (endpoint == nullptr) return;
    emit UseServer(SettingsForEndpoint(*server, *endpoint));
}

void CDiscoveryDlg::OnExport() {
    int filter = 0;
    const QString path = Prompts::SaveFile(this, QStringLiteral("Excel (*.xlsx);;CSV (*.csv)"),
                                           QStringLiteral("servers.xlsx"), &filter);
    if (path.isEmpty()) return;
    DiscoveryResult result;
    result.servers = model->Servers();
    result.otherPorts = model->Others();
    const bool csv = path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive) ||
                     (!path.endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive) && filter == 1);
    ReplacingFile file = ReplacingFile::Begin(path.toStdString());
    if (!WriteDiscovery(result, csv ? DiscoveryFormat::Csv : DiscoveryFormat::Xlsx, file, language))
        Prompts::Message(this, Text(TextKey::ExportFailed));
}
