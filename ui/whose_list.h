#pragma once

#include <string>

class QWidget;
class ScanSession;
class StatusLine;

// Marks rows that belong to another server than the URL box names, `url`: the title says
// whose list it is and, once no connect is under way (a failed or declined one left the old
// list), so does the status line. Without such rows the title is the plain one.
void ShowWhoseList(QWidget& window, const ScanSession& session, const std::string& url,
                   StatusLine& statusLine);
