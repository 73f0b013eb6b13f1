#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

// A fresh directory under the test temp dir for the files one test writes,
// removed again at the end of the test.
class ScratchFiles : public ::testing::Test {
protected:
    std::filesystem::path dir;

    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = std::filesystem::path(::testing::TempDir()) /
              ("velko_" + std::to_string(::getpid()) + "_" + info->test_suite_name() + "_" + info->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    // Writes the bytes of content unchanged (binary, so no newline translation).
    std::string write(const std::string& name, const std::string& content) {
        const std::filesystem::path path = dir / name;
        std::ofstream out(path, std::ios::binary);
        out << content;
        return path.string();
    }
};
