// The end of a double-click or a drop: the check, a preview in the weather
// the errors concern, the verdict last, and the choice between closing the
// window and opening the report.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "tests/config/test_files.h"
#include "tools/atmosphere-sim/launch.h"

namespace {

TEST(Launch, PreviewsTheWeatherTheErrorsConcernAndEndsWithTheVerdict) {
    ScratchDirectory folder;
    folder.Write("mine.ini", "[THUNDER]\nLightningFrequency=300\n[RAIN]\nNormalZoneEnd=800\nCloudZoneStart=500\n");
    for (const bool weatherGiven : {false, true}) {
        preview::RunRequest request;
        request.configPath = folder.path() + "mine.ini";
        request.outputDirectory.clear();
        request.speed = 40;
        std::ostringstream out, err;
        const PreviewResult result = CheckAndPreview(request, weatherGiven, out, err);
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.report, folder.path() + "preview/report.html");
        EXPECT_TRUE(std::filesystem::exists(result.report));
        // The error is in [RAIN]; THUNDER has a warning only.
        EXPECT_NE(out.str().find(weatherGiven ? "Flight: climb in CLOUDS" : "Flight: climb in RAIN"),
                  std::string::npos);
        const std::string messages = err.str();
        const std::string last = messages.substr(messages.rfind('\n', messages.size() - 2) + 1);
        EXPECT_EQ(last, "1 error, 1 warning, 7 notes in mine.ini: see preview/report.html\n") << messages;
        EXPECT_EQ(messages.find("atmosphere-sim check"), std::string::npos) << "the findings are on screen already";
    }
}

TEST(Launch, EnterClosesAndOOpensTheReport) {
    const struct {
        std::vector<int> answers;  // keys pressed, in turn
        bool opens;                // the opener succeeds
        bool opened;               // it was asked to open the report
        const char* said;          // part of what the window shows
    } cases[] = {
        {{'\n'}, true, false, "Press Enter to close this window, or O to open the report"},
        {{EOF}, true, false, ""},
        {{'x'}, true, false, ""},
        {{'o'}, true, true, ""},
        {{'O'}, true, true, ""},
        {{'o', '\n'}, false, true, "no program opened /r/report.html; open it in a web browser"},
    };
    for (const auto& c : cases) {
        std::ostringstream err;
        size_t asked = 0;
        bool opened = false;
        CloseOrOpen(
            "/r/report.html", err, [&] { return asked < c.answers.size() ? c.answers[asked++] : EOF; },
            [&](const std::string& page) {
                opened = page == "/r/report.html";
                return c.opens;
            });
        EXPECT_EQ(opened, c.opened) << err.str();
        EXPECT_EQ(asked, c.answers.size()) << "waits once more only when it could not open the page";
        EXPECT_NE(err.str().find(c.said), std::string::npos) << err.str();
    }
    // Without a report there is only Enter.
    std::ostringstream err;
    CloseOrOpen(
        "", err, [] { return 'o'; }, [](const std::string&) { return true; });
    EXPECT_EQ(err.str(), "Press Enter to close this window.\n");
}

}  // namespace
