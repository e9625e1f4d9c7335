// A user data folder of the test's own, so every test starts without profiles or records.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "records/PlayerFiles.h"
#include "support/TempDir.h"

class RecordsFolder : public ::testing::Test
{
protected:
    void SetUp() override { setenv("XDG_DATA_HOME", mDir.Path().c_str(), 1); }

    std::string SavesFile(const std::string& name) const { return tilvan::records::UserDataPath("saves/" + name); }

    testsupport::TempDir mDir;
};
