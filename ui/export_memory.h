#pragma once

#include <QString>

#include "export/export_format.h"

// The file type and the "all attributes" choice of the last export, kept between runs in the
// settings file the server history uses. Read on construction, written on Remember.
class ExportMemory {
public:
    explicit ExportMemory(QString path);

    SaveFilter LastFilter() const { return filter; }  // the .xls workbook until one is chosen
    bool AllAttributes() const { return attributes; }
    void Remember(SaveFilter chosen, bool allAttributes);

private:
    QString path;
    SaveFilter filter = SaveFilter::Xls;
    bool attributes = false;
};
