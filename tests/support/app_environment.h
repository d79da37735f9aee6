#pragma once

#include "app/Main.h"
#include "app/translations.h"
#include "data/main_globals.h"
#include "support/folder_globals.h"
#include "web/browser_engine.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

// The window tests need the program's application object. Each test then starts from a fresh
// start-up: every window made in order and the English texts set, as before the message loop.
class AppEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "app_tests";
        static char *argv[] = {name, nullptr};
        PrepareBrowserEngine(); // as the program does, so the browsers start as root too
        m_app = new KorvalinApplication(argc, argv);
    }
    void TearDown() override
    {
        delete m_app;
        m_app = nullptr;
    }

private:
    KorvalinApplication *m_app = nullptr;
};

inline ::testing::Environment *const appEnvironment = ::testing::AddGlobalTestEnvironment(new AppEnvironment);

// Starting the program sets the folder globals; the fixture puts back what it found, so the
// next test starts from the same globals whatever this one opened.
class StartedProgram : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ProjectFileName.clear();
        ProjectDir.clear();
        WebPreviewURL.clear();
        CreateForms();
        SetEnglishCaptions();
    }
    void TearDown() override
    {
        DestroyForms();
        ProjectFileName.clear();
        ProjectDir.clear();
        WebPreviewURL.clear();
    }

private:
    KeptFolderGlobals m_kept;
};

// The program started with a project folder of its own as ProjectDir and "city.ppr" in it as
// the project file, as the window tests want it before they fill the tables.
class StartedInProjectFolder : public StartedProgram
{
protected:
    void SetUp() override
    {
        StartedProgram::SetUp();
        ASSERT_TRUE(m_dir.isValid());
        ProjectDir = m_dir.path();
        ProjectFileName = m_dir.filePath(QStringLiteral("city.ppr"));
    }

    QTemporaryDir m_dir;
};
