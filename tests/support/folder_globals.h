#pragma once

#include "data/main_globals.h"

#include <array>

#include <gtest/gtest.h>

// The program keeps its folders and file names in globals that any test may set. A fixture
// holding one of these puts back on its way out what it found, so the next test starts from
// the same globals whatever this one opened, wrote or failed in.
class KeptFolderGlobals
{
public:
    KeptFolderGlobals()
    {
        for (std::size_t i = 0; i < m_saved.size(); ++i)
            m_saved[i] = *globals()[i];
    }
    ~KeptFolderGlobals()
    {
        for (std::size_t i = 0; i < m_saved.size(); ++i)
            *globals()[i] = m_saved[i];
    }
    KeptFolderGlobals(const KeptFolderGlobals &) = delete;
    KeptFolderGlobals &operator=(const KeptFolderGlobals &) = delete;

private:
    static std::array<QString *, 8> globals()
    {
        return {&ProgramDir,       &ProjectDir,           &ProjectFileName,          &DefaultProjectFile,
                &DefaultPrefsFile, &DefaultDayGroupsFile, &DefaultLineMapPrefsFile, &WebPreviewURL};
    }
    std::array<QString, 8> m_saved;
};

// For tests that set the globals themselves and need nothing else.
class FolderGlobalsTest : public ::testing::Test
{
private:
    KeptFolderGlobals m_kept;
};
