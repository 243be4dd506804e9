#pragma once
// A question bank made for a test: rows written straight into an SQLite file that the store then
// takes as its delivered bank, with the documents copy made from it afresh.

#include "app/theory/QuestionManager.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

struct FixtureQuestion {
    std::string quid;
    std::string subject { "1" };
    std::string chapter { "01" };
    std::string qutype { "0" };
    std::string qncontype { "1" };
    int qunum { 0 };
    int type { 0 };
    std::string answermany {};
    bool issaveNull { false };
    std::string carType { "T1" };
    bool picNull { true };
    // The first question of its family; none when empty.
    std::string family {};
};

class QuestionBankFixture : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes the rows as the delivered bank and makes the documents copy from it.
    void install(const std::vector<FixtureQuestion>& questions);
    // Draws these values in turn, over again from the start.
    void drawInTurn(std::vector<std::uint32_t> values);

    // Reads one column of one row through a connection of the test's own.
    std::string column(const std::string& quid, const std::string& name) const;
    static std::vector<std::string> quids(const std::shared_ptr<NSArray>& records);

    std::shared_ptr<QuestionManager> store;
    std::string sourcePath;
};
