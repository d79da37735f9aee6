// The browser engine started by root, as in a container where nothing is set for it: the
// preview and the web-copy window run their pages in a child process of this suite whose
// environment says nothing about the engine's sandbox, and the child must live to pass.
#include "support/app_environment.h"

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

struct BrowserWindow {
    const char *name;
    const char *test; // the test of this suite that shows the window's pages
};

void PrintTo(const BrowserWindow &window, std::ostream *os)
{
    *os << window.name;
}

class BrowserStartedByRoot : public ::testing::TestWithParam<BrowserWindow>
{
};

TEST_P(BrowserStartedByRoot, ShowsItsPageWithoutEndingTheProgram)
{
    if (getuid() != 0 && geteuid() != 0)
        GTEST_SKIP() << "not run as root";
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"));
    environment.remove(QStringLiteral("QTWEBENGINE_CHROMIUM_FLAGS"));
    QProcess child;
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=") + QLatin1String(GetParam().test)});
    ASSERT_TRUE(child.waitForFinished(100000));
    const QString output = QString::fromLocal8Bit(child.readAll());
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit) << output.toStdString();
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("[  PASSED  ] 1 test."))) << output.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Windows, BrowserStartedByRoot,
    ::testing::Values(BrowserWindow{"Preview", "WebBrowser.ThePreviewShowsTheProjectInTheViewer"},
                      BrowserWindow{"WebCopy", "WebBrowser.AWebPageTableGoesThroughTheWorkGridIntoTheTimetable"}),
    [](const ::testing::TestParamInfo<BrowserWindow> &info) { return std::string(info.param.name); });

} // namespace
