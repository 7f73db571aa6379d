#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "biff_records.h"
#include "export/xls/records/cell_records.h"
#include "export/xls/records/global_records.h"
#include "export/xls/records/sheet_records.h"
#include "export/xls/records/substream_records.h"

namespace {

// A record of any payload size, without split points.
class FillerRecord final : public xls::Record {
public:
    explicit FillerRecord(std::size_t size) : Record(0x1234), size_(size) {}
    std::size_t PayloadSize() const override { return size_; }

protected:
    void WritePayload(xls::RecordWriter& out) const override {
        for (std::size_t i = 0; i < size_; ++i) out.U8(static_cast<std::uint8_t>(i % 251));
    }

private:
    std::size_t size_;
};

std::vector<std::uint8_t> WriteOne(const xls::Record& record) {
    std::vector<std::uint8_t> bytes(record.TotalSize() + 16, 0xEE);
    const std::size_t written = record.Write(bytes.data());
    EXPECT_EQ(written, record.TotalSize());
    EXPECT_EQ(bytes[written], 0xEE) << "wrote past its size";
    bytes.resize(written);
    return bytes;
}

TEST(RecordFramingTest, LongPayloadsAreCutEvery8224Bytes) {
    struct Case {
        std::size_t payload;
        std::vector<std::size_t> pieces;
    };
    const Case cases[] = {{0, {0}},
                          {8224, {8224}},
                          {8225, {8224, 1}},
                          {16448, {8224, 8224}},
                          {20000, {8224, 8224, 3552}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.payload);
        const auto bytes = WriteOne(FillerRecord(c.payload));
        const auto records = SplitRecords(bytes);
        ASSERT_EQ(records.size(), c.pieces.size());
        EXPECT_EQ(SumOfSizes(records), bytes.size());
        std::size_t offset = 0;
        for (std::size_t i = 0; i < records.size(); ++i) {
            EXPECT_EQ(records[i].type, i == 0 ? 0x1234 : 0x003C);
            ASSERT_EQ(records[i].payload.size(), c.pieces[i]);
            for (std::size_t j = 0; j < c.pieces[i]; ++j, ++offset) {
                ASSERT_EQ(records[i].payload[j], offset % 251);
            }
        }
    }
}

TEST(RecordFramingTest, FixedRecordsWriteExactlyTheirSize) {
    std::vector<std::unique_ptr<xls::Record>> records;
    records.push_back(std::make_unique<xls::BOF>(xls::BOF::kWorksheet));
    records.push_back(std::make_unique<xls::EofRecord>());
    records.push_back(std::make_unique<xls::Window1>());
    records.push_back(std::make_unique<xls::Font>());
    records.push_back(std::make_unique<xls::XF>());
    records.push_back(std::make_unique<xls::Style>());
    records.push_back(std::make_unique<xls::BoundSheet>());
    records.push_back(std::make_unique<xls::Index>(65536, 2048));
    records.push_back(std::make_unique<xls::Dimensions>(1, 6));
    records.push_back(std::make_unique<xls::Window2>(true));
    records.push_back(std::make_unique<xls::Row>(5, 7));
    records.push_back(std::make_unique<xls::Blank>(5, 6, 0));
    records.push_back(std::make_unique<xls::LabelSST>(5, 1, 0, 42));
    records.push_back(std::make_unique<xls::DBCell>(32));
    const std::size_t expected[] = {20, 4, 22, 30, 24, 8, 18, 8212, 18, 22, 20, 10, 14, 72};
    for (std::size_t i = 0; i < records.size(); ++i) {
        SCOPED_TRACE(i);
        const auto bytes = WriteOne(*records[i]);
        ASSERT_EQ(bytes.size(), expected[i]);
        const auto split = SplitRecords(bytes);
        ASSERT_EQ(split.size(), 1u) << "no CONTINUE";
        EXPECT_EQ(split[0].type, records[i]->Type());
    }
}

// Owns the written bytes that the record's payload points into.
struct OneRecord {
    explicit OneRecord(const xls::Record& record) : bytes(WriteOne(record)) {
        const auto records = SplitRecords(bytes);
        EXPECT_EQ(records.size(), 1u);
        if (!records.empty()) parsed = records[0];
    }
    const BiffRecord* operator->() const { return &parsed; }

    std::vector<std::uint8_t> bytes;
    BiffRecord parsed{};
};

// Fields that carry values from outside the record: positions, counts, indices, and what
// happens to values wider than their field. (xlrd reads the constant fields in the interop check.)
TEST(RecordFramingTest, VariableFields) {
    const OneRecord unselected{xls::Window2(false)};
    EXPECT_EQ(unselected->U16(0), 0x04B6) << "only the first sheet is selected";

    const OneRecord row{xls::Row(70000, 7)};
    EXPECT_EQ(row->U16(0), 70000 & 0xFFFF) << "cut to the field";
    EXPECT_EQ(row->U16(4), 7);

    const OneRecord label{xls::LabelSST(3, 4, 9, 0x12345)};
    EXPECT_EQ(label->U16(0), 3);
    EXPECT_EQ(label->U16(2), 4);
    EXPECT_EQ(label->U16(4), 9);
    EXPECT_EQ(label->U32(6), 0x12345u);

    xls::BoundSheet sheet;
    sheet.SetPosition(760);
    const OneRecord bound{sheet};
    EXPECT_EQ(bound->U32(0), 760u);
    EXPECT_EQ(bound->payload[6], 6);
    EXPECT_EQ(std::string(bound->payload.begin() + 8, bound->payload.end()), "Sheet1");
}

}  // namespace
