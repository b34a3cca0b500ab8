// The pieces of the fleet work below the CLI: the CSV reader, the list of converters and the
// batch runner.
#include "operations/Batch.h"
#include "app/Csv.h"
#include "operations/HostList.h"
#include "app/Interruption.h"

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

namespace varnadex {
namespace {

using Rows = std::vector<std::vector<std::string>>;

Rows fieldsOf(const CsvTable& t) {
    Rows out;
    for (const auto& r : t.records)
        out.push_back(r.fields);
    return out;
}

TEST(Csv, QuotingCases) {
    struct Row {
        const char* text;
        Rows rows;
    };
    const Row rows[] = {
        {"a,b\n", {{"a", "b"}}},
        {"a,b", {{"a", "b"}}},
        {"\"a,b\",c\r\nd,e\r\n", {{"a,b", "c"}, {"d", "e"}}},
        {"\"say \"\"hi\"\"\",x", {{"say \"hi\"", "x"}}},
        {"\"two\nlines\",x\ny,z\n", {{"two\nlines", "x"}, {"y", "z"}}},
        {"a,,\n,\n", {{"a", "", ""}, {"", ""}}},
        {"\"\",\"\"\n", {{"", ""}}},
        {"\xEF\xBB\xBFhost\n", {{"host"}}},
    };
    for (const auto& r : rows) {
        auto t = parseCsv(r.text);
        EXPECT_FALSE(t.problem) << r.text;
        EXPECT_EQ(fieldsOf(t), r.rows) << r.text;
    }
    auto t = parseCsv("\"two\nlines\",x\ny,z\n");
    EXPECT_EQ(t.records[1].line, 3u);

    MessageCatalogue english;
    english.fill(1);
    EXPECT_EQ(english.say(*parseCsv("a\n\"open,x\n").problem), "line 2: a quote is not closed");
    EXPECT_EQ(english.say(*parseCsv("\"a\"b,c").problem), "line 1: text after a closing quote");
}

TEST(HostList, ColumnsOverrideTheFileForTheirConverter) {
    auto list = parseHostList("host,port,ipAddress,community,snmpCommunity,firmwareVersion\n"
                              "127.0.0.1:1161,,10.0.0.1,,,2.2\n"
                              ",/dev/ttyUSB0,10.0.0.2,private,\"a,b\",\n"
                              ",,,,\n");
    ASSERT_FALSE(list.problem);
    ASSERT_EQ(list.entries.size(), 2u);
    ConverterConfig c;
    ASSERT_FALSE(applyHostEntry(list.entries[1], c));
    EXPECT_EQ(c.accessMode, 0);
    EXPECT_EQ(c.comPort, "/dev/ttyUSB0");
    EXPECT_EQ(c.ipAddress, "10.0.0.2");
    EXPECT_EQ(c.accessCommunity, "private");
    EXPECT_EQ(c.snmpCommunity, "a,b");
    ConverterConfig first;
    ASSERT_FALSE(applyHostEntry(list.entries[0], first));
    EXPECT_EQ(first.accessMode, 1);
    EXPECT_EQ(first.snmpCommunity, ConverterConfig{}.snmpCommunity); // an empty cell keeps it

    auto bad = parseHostList("host,networkTimeout\n127.0.0.1,300\n");
    ASSERT_FALSE(bad.problem);
    auto refused = applyHostEntry(bad.entries[0], c);
    ASSERT_TRUE(refused);
    MessageCatalogue english;
    english.fill(1);
    const std::string said = english.say(*refused);
    EXPECT_EQ(said.rfind("line 2: \"networkTimeout\"", 0), 0u) << said;
}

TEST(Batch, EveryJobRunsOnceAndAStopStartsNoMore) {
    constexpr std::size_t kJobs = 200;
    std::vector<std::atomic<int>> runs(kJobs);
    std::size_t finished = 0;
    EXPECT_EQ(
        runBatch(
            kJobs, 8, {}, [&](std::size_t i) { ++runs[i]; }, [&](std::size_t) { ++finished; }),
        kJobs);
    for (auto& r : runs)
        EXPECT_EQ(r, 1);
    EXPECT_EQ(finished, kJobs);

    Interruption stop;
    std::atomic<std::size_t> ran = 0;
    const auto started = runBatch(
        kJobs, 1, [&] { return stop.requested(); },
        [&](std::size_t i) {
            ++ran;
            if (i == 4) stop.request();
        },
        [](std::size_t) {});
    EXPECT_EQ(started, 5u);
    EXPECT_EQ(ran, 5u);
}

} // namespace
} // namespace varnadex
