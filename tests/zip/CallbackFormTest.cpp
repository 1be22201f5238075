// SPDX-License-Identifier: Apache-2.0
// The hidden callback form: messages written into txtCallback through its window handle are
// parsed at once and raised as the form's events.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/forms/WindowHandles.h"
#include "velpack/zip/frmAddCallback.h"

namespace {
using velpack::Boolean;

// Every form event as one line, the way the tests expect to read them.
struct Recorder final : velpack::AddCallbackEvents {
    std::vector<std::string> lines;
    template <class... T>
    void add(const char* name, const T&... args) {
        std::string line = name;
        ((line += "|" + text(args)), ...);
        lines.push_back(line);
    }
    static std::string text(const std::string& s) { return s; }
    template <class N>
    static std::string text(N n) {
        return std::to_string(n);
    }

    void Searching(const std::string& p, const std::string& d) override { add("Searching", p, d); }
    void ZipComment(const std::string& c) override { add("ZipComment", c); }
    void Zipping(const std::string& f, std::int32_t s, std::int32_t b, std::int16_t p, std::int32_t r) override {
        add("Zipping", f, s, b, p, r);
    }
    void Zipped(const std::string& f, std::int32_t s, std::int32_t c, std::int16_t ratio, std::int32_t r) override {
        add("Zipped", f, s, c, ratio, r);
    }
    void Unzipping(const std::string& f, std::int32_t s, std::int32_t b, std::int16_t p) override {
        add("Unzipping", f, s, b, p);
    }
    void Unzipped(const std::string& f, std::int32_t s, std::int32_t b, std::int16_t p) override {
        add("Unzipped", f, s, b, p);
    }
    void Testing(const std::string& f, std::int32_t s, std::int32_t b, std::int16_t p) override {
        add("Testing", f, s, b, p);
    }
    void Tested(const std::string& f, std::int32_t s, std::int32_t b, std::int16_t p) override {
        add("Tested", f, s, b, p);
    }
    void Deleting(const std::string& f) override { add("Deleting", f); }
    void Deleted(const std::string& f) override { add("Deleted", f); }
    void DiskChange(std::int16_t d) override { add("DiskChange", d); }
    void View(const std::string& path, const std::string& name, std::int32_t size, std::int32_t compressed,
              std::int16_t ratio, const std::string& date, const std::string& time, const std::string& attributes,
              std::int16_t method, Boolean encrypted, const std::string& crc, Boolean binary, const std::string& made,
              const std::string& needed) override {
        add("View", path, name, size, compressed, ratio, date, time, attributes, method, encrypted, crc, binary, made,
            needed);
    }
    void Error(const std::string& f, std::int32_t c) override { add("Error", f, c); }
    void Warning(const std::string& f, std::int32_t c) override { add("Warning", f, c); }
    void QueryOverwrite(const std::string& a, std::int32_t b, const std::string& c, const std::string& d,
                        std::int32_t e, const std::string& f) override {
        add("QueryOverwrite", a, b, c, d, e, f);
    }
    void Copying() override { add("Copying"); }
    void Copied() override { add("Copied"); }
};

class CallbackForm : public ::testing::Test {
protected:
    CallbackForm() {
        form.bindEvents(&recorder);
        form.load();
    }
    ~CallbackForm() override { form.unload(); }

    // One message through the window handle, as the libraries write it; the events it raised.
    std::vector<std::string> send(const std::string& message) {
        recorder.lines.clear();
        EXPECT_TRUE(platform::forms::setWindowText(form.txtCallback.handle(), message));
        return recorder.lines;
    }

    velpack::frmAddCallback form;
    Recorder recorder;
};

using Lines = std::vector<std::string>;

TEST_F(CallbackForm, RaisesTheEventOfEachCodeFromItsFields) {
    struct Case {
        const char* message;
        Lines events;
    } cases[] = {
        {"anything|10|*.txt|C:\\docs", {"Searching|*.txt|C:\\docs"}},
        {"x|10|*.txt|C:\\docs|extra|more", {"Searching|*.txt|C:\\docs"}},  // extra fields ignored
        {"x|11|the comment", {"ZipComment|the comment"}},
        {"x|12|ignored|a.txt", {"Zipping|a.txt|0|0|0|0"}},  // only four fields: zeros
        {"x|12|ignored|a.txt|100|50|50|3", {"Zipping|a.txt|100|50|50|3"}},
        {"x|13||a.txt|100|40|60|2", {"Zipped|a.txt|100|40|60|2"}},
        {"x|14||a.txt|10|5|50", {"Unzipping|a.txt|10|5|50"}},
        {"x|15||a.txt|10|10|100", {"Unzipped|a.txt|10|10|100"}},
        {"x|16||a.txt|1|2|3", {"Testing|a.txt|1|2|3"}},
        {"x|17||a.txt|1|2|3", {"Tested|a.txt|1|2|3"}},
        {"x|18||a.txt", {"Deleting|a.txt"}},
        {"x|19||a.txt", {"Deleted|a.txt"}},
        {"x|20||2", {"DiskChange|2"}},
        {"x|22|a.txt|7", {"Error|a.txt|7"}},
        {"x|23|a.txt|2", {"Warning|a.txt|2"}},
        {"x|25", {"Copying"}},
        {"x|26|whatever", {"Copied"}},
        // Ignored: the overwrite question, codes outside 10 to 26, no number, beyond 16 bits.
        {"x|24|old|1|d|new|2|d", {}},
        {"x|9|a", {}},
        {"x|27|a", {}},
        {"x|abc|a", {}},
        {"x|99999|a", {}},
        {"no fields at all", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(send(c.message), c.events) << c.message;
}

TEST_F(CallbackForm, ReadsAllFourteenViewValues) {
    EXPECT_EQ(send("v|21|x|dir\\sub|a.txt|1000|400|60|2024-05-01|13:45:10|RA|8|False|0A1B2C3D|1|3.0|2.0"),
              Lines{"View|dir\\sub|a.txt|1000|400|60|2024-05-01|13:45:10|RA|8|0|0A1B2C3D|-1|3.0|2.0"});
    // Encrypted is a truth word or a number, Binary any non-zero number.
    struct Case {
        const char* encrypted;
        const char* binary;
        const char* flags;
    } cases[] = {{"True", "0", "-1|0"},
                 {"true", "2", "-1|-1"},
                 {"-1", "0.4", "-1|-1"},
                 {"0", "0.6", "0|-1"},
                 {"yes", "x", "0|0"}};
    for (const Case& c : cases) {
        auto events = send(std::string("v|21||p|n|1|1|0|d|t|A|0|") + c.encrypted + "|C|" + c.binary + "|v|v");
        ASSERT_EQ(events.size(), 1u);
        std::string line = events[0];
        // fields 10 and 12 of the recorded line: Encrypted and Binary
        std::vector<std::string> parts;
        for (std::size_t start = 0;;) {
            std::size_t bar = line.find('|', start);
            parts.push_back(line.substr(start, bar - start));
            if (bar == std::string::npos) break;
            start = bar + 1;
        }
        EXPECT_EQ(parts[10] + "|" + parts[12], c.flags) << c.encrypted << " " << c.binary;
    }
}

TEST_F(CallbackForm, RoundsNumbersToTheParameterWidthHalvesToEven) {
    // Percentage is 16-bit, Size and counts 32-bit; beyond the width they saturate.
    EXPECT_EQ(send("x|12||f|2.5|3.5|4.5|1e3"), Lines{"Zipping|f|2|4|4|1000"});
    EXPECT_EQ(send("x|12||f|abc|7xyz| 1 2|-0.5"), Lines{"Zipping|f|0|7|12|0"});
    EXPECT_EQ(send("x|12||f|99999999999|-99999999999|40000|1"), Lines{"Zipping|f|2147483647|-2147483648|32767|1"});
}

TEST_F(CallbackForm, HandlesEveryWriteEvenARepeatedText) {
    platform::forms::setWindowText(form.txtCallback.handle(), "x|19||a");
    platform::forms::setWindowText(form.txtCallback.handle(), "x|19||a");
    EXPECT_EQ(recorder.lines, (Lines{"Deleted|a", "Deleted|a"}));
}

}  // namespace
