#include "ui/whose_list.h"

#include <QWidget>

#include "session/scan_session.h"
#include "texts/text_table.h"
#include "ui/qt_text.h"
#include "ui/status_line.h"
#include "ui/window_title.h"

void ShowWhoseList(QWidget& window, const ScanSession& session, const std::string& url,
                   StatusLine& statusLine) {
    const auto& from = session.SessionSettings();
    std::string title = MainWindowTitle();
    if (from && !session.Rows().Empty() && from->url != url) {
        std::string mark = Text(TextKey::ListOfOtherServer);
        const auto at = mark.find("%s");
        if (at != std::string::npos) mark.replace(at, 2, from->url);
        title += " - " + mark;
        if (!session.Connecting() && !statusLine.text().contains(Q(mark))) statusLine.Append(mark);
    }
    if (window.windowTitle() != Q(title)) window.setWindowTitle(Q(title));
}
