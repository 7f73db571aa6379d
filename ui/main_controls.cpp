#include "ui/main_controls.h"

#include <QDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "texts/text_table.h"
#include "ui/dialog_layout.h"
#include "ui/filter_box.h"
#include "ui/named_control.h"
#include "ui/point_list_view.h"
#include "ui/qt_text.h"
#include "ui/status_line.h"

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

MainControls BuildMainControls(QDialog& window, QAbstractItemModel& shown) {
    MainControls c;
    const double scale = window.logicalDpiX() / 96.0;
    window.resize(DluToPixels(635, 357, scale));

    c.serverLabel = Named(new QLabel(QStringLiteral("OPC UA 服务器："), &window), "serverLabel",
                          MainControls::kServerLabel);
    c.serverLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    c.serverLabel->setGeometry(DluToPixels({9, 12, 87, 8}, scale));

    c.urlBox = Named(new QLineEdit(&window), "urlBox", MainControls::kUrlBox);
    c.urlBox->setGeometry(DluToPixels({99, 9, 301, 13}, scale));

    // Buttons keep their template places and widths unless a caption, in either language and at
    // the desktop's font, needs more; then the buttons to their right move along.
    c.connectButton = Named(new QPushButton(QStringLiteral("连接"), &window), "connectButton",
                            MainControls::kConnectButton);
    QRect connectRect = DluToPixels({402, 9, 35, 14}, scale);
    connectRect.setWidth(FittingWidth(
        connectRect.width(), {CaptionWidth(*c.connectButton, {TextKey::Connect, TextKey::Stop})}));
    c.connectButton->setGeometry(connectRect);
    c.connectButton->setDefault(true);

    c.optionButton = Named(new QPushButton(QStringLiteral("选项"), &window), "optionButton",
                           MainControls::kOptionButton);
    QRect optionRect = DluToPixels({441, 9, 36, 14}, scale);
    optionRect.moveLeft(
        std::max(optionRect.x(), connectRect.x() + connectRect.width() + Gap(scale)));
    optionRect.setWidth(
        FittingWidth(optionRect.width(), {CaptionWidth(*c.optionButton, {TextKey::Option})}));
    c.optionButton->setGeometry(optionRect);

    c.languageButton = Named(new QPushButton(QStringLiteral("中文"), &window), "languageButton",
                             MainControls::kLanguageButton);
    QRect languageRect = DluToPixels({592, 9, 41, 14}, scale);
    languageRect.setWidth(FittingWidth(languageRect.width(),
                                       {CaptionWidth(*c.languageButton, {TextKey::LanguageName})}));
    c.languageButton->setGeometry(languageRect);

    c.filterBox = Named(new FilterBox(&window), "filterBox", MainControls::kFilterBox);
    c.filterBox->setPlaceholderText(Q(Text(TextKey::FilterPlaceholder)));
    c.filterBox->setClearButtonEnabled(true);
    c.filterBox->setGeometry(FilterBoxRect(window.width(), optionRect, c.urlBox->geometry(),
                                           languageRect.width(), Gap(scale)));

    c.listView = Named(new PointListView(&window), "pointList", MainControls::kPointList);
    c.listView->setGeometry(DluToPixels({2, 26, 630, 307}, scale));
    c.listView->setModel(&shown);

    c.exportButton = Named(new QPushButton(QStringLiteral("导出"), &window), "exportButton",
                           MainControls::kExportButton);
    QRect exportRect = DluToPixels({582, 337, 50, 17}, scale);
    exportRect.setWidth(FittingWidth(
        exportRect.width(), {CaptionWidth(*c.exportButton, {TextKey::Export, TextKey::Cancel})}));
    c.exportButton->setGeometry(exportRect);

    c.statusLine = Named(new StatusLine(&window), "statusLine", MainControls::kStatusLine);
    c.statusLine->setGeometry(DluToPixels({3, 341, 573, 13}, scale));

    // Enter presses the focused button; Connect answers it only when no other button has focus.
    for (QPushButton* b : {c.connectButton, c.optionButton, c.languageButton, c.exportButton})
        b->setAutoDefault(true);

    // The list keeps its header and three rows; the top row keeps a filter box of 12 characters.
    const int listMinHeight = c.listView->horizontalHeader()->sizeHint().height() +
                              3 * c.listView->verticalHeader()->defaultSectionSize() +
                              2 * c.listView->frameWidth();
    window.setMinimumSize(MinimumClientSize(optionRect, languageRect.width(),
                                            c.filterBox->fontMetrics().averageCharWidth() * 12 + 30,
                                            Gap(scale), c.listView->y(), listMinHeight));

    // Columns from the list's client width at the template size.
    c.listView->SetColumnWidths(ColumnWidths(c.listView->ClientWidth()));
    return c;
}

void ApplyResizeRules(const QDialog& window, const MainControls& c) {
    const MainWindowLayout l = LayoutForClient(window.size(), c.listView->pos(),
                                               c.languageButton->size(), c.exportButton->size());
    c.listView->setGeometry(l.list);
    c.statusLine->setGeometry(l.status);
    c.languageButton->setGeometry(l.language);
    c.exportButton->setGeometry(l.exportButton);
    const double scale = window.logicalDpiX() / 96.0;
    c.filterBox->setGeometry(FilterBoxRect(window.width(), c.optionButton->geometry(),
                                           c.urlBox->geometry(), c.languageButton->width(),
                                           Gap(scale)));
    // Widths the user dragged stay as they are.
    if (!c.listView->UserSizedColumns())
        c.listView->SetColumnWidths(ColumnWidths(c.listView->ClientWidth()));
}
