#pragma once

class ReplacingFile;
class TrendBook;

// Every sample of `book` as "time","point","value" rows under that header, in time order and
// series order within one instant; the point by its NodeId text. UTF-8 with a byte-order mark
// for files. False when writing failed; the file is committed only on success.
bool WriteTrendCsv(const TrendBook& book, ReplacingFile& file);
