// The bank builder's review: repeats seen through option order and small changes, doubled words,
// and a study order that keeps a fill-in question away from the statements made from it.
#include "tools/questionbank/BankReview.h"

#include <gtest/gtest.h>

namespace {

BankQuestion statement(const std::string& id, const std::string& text, const char* answer)
{
    BankQuestion q;
    q.id = id;
    q.subject = id.substr(0, 1);
    q.chapter = id.substr(1, 2);
    q.qutype = "2";
    q.qncontype = "1";
    q.text = text;
    q.answer = answer;
    return q;
}

BankQuestion choice(const std::string& id, const std::string& text, std::vector<std::string> options, const std::string& answer = "A")
{
    BankQuestion q = statement(id, text, "");
    q.qutype = "0";
    for (std::size_t i = 0; i < options.size() && i < 4; ++i)
        q.options[i] = options[i];
    q.answer = answer;
    return q;
}

} // namespace

TEST(BankReview, repeatsAreFoundThroughOptionOrderAndOneChangedWordButDistinctItemsStayApart)
{
    const auto first = choice("1030001", "在以下哪些地点不得倒车？", { "单行路", "桥梁上", "铁路道口", "平直宽阔的停车场内" });
    const auto reordered = choice("1030002", "在以下哪些地点不得倒车？", { "铁路道口", "单行路", "平直宽阔的停车场内", "桥梁上" }, "C");
    auto otherPicture = reordered;
    otherPicture.media = "sign_other";
    EXPECT_EQ(BankReview::sameQuestionKey(first), BankReview::sameQuestionKey(reordered));
    EXPECT_NE(BankReview::sameQuestionKey(first), BankReview::sameQuestionKey(otherPicture));

    const std::vector<BankQuestion> bank {
        first, reordered,
        statement("1010002", "初次申领的机动车驾驶证实习期为12个月。", "Y"),
        statement("1010003", "初次申领的机动车驾驶证实习期为6个月。", "N"),
        statement("1010004", "驾驶人在实习期内驾驶机动车的，不得牵引挂车。", "Y"),
    };
    const auto groups = BankReview::itemGroups(bank);
    EXPECT_EQ(groups[0], groups[1]);
    EXPECT_EQ(groups[2], groups[3]);
    EXPECT_NE(groups[0], groups[2]);
    EXPECT_NE(groups[2], groups[4]);
    EXPECT_DOUBLE_EQ(BankReview::similarity(U"abcd", U"abcd"), 1.0);
    EXPECT_DOUBLE_EQ(BankReview::similarity(U"abcd", U"wxyz"), 0.0);
    // Longer than one word of the bit-parallel rows.
    const std::u32string longText(150, U'路');
    EXPECT_DOUBLE_EQ(BankReview::similarity(longText, longText + U"口"), 300.0 / 301.0);
}

TEST(BankReview, doubledVerbsAndModalsAreRefusedAndSoundSentencesPass)
{
    for (const char* faulty : { "驾驶机动车时，驾驶人的身体应当身体前倾贴近转向盘。", "倒车入库时，车辆应当从只能从左侧方向倒入库位。",
             "机动车驾驶人、乘坐人员应当只有驾驶人使用安全带。", "驾驶人应当按规定应当系好安全带。", "发动机舱起火时，驾驶人应当不要贸然打开发动机舱盖。",
             "驾驶人应当注意注意观察。" })
        EXPECT_FALSE(BankReview::faultyWords(faulty).empty()) << faulty;
    for (const char* sound : { "驾驶机动车时，驾驶人的身体应当前倾贴近转向盘。", "机动车在有禁止掉头或者禁止左转弯标志的地点不得掉头。",
             "可以载人但不得超过核定人数。", "制动时，应当根据需要平稳踩下制动踏板。", "倒车入库时，车辆应当分别从左右两侧倒入库位。",
             "发动机舱起火时，驾驶人不要贸然打开发动机舱盖，应从缝隙喷射灭火剂。" })
        EXPECT_EQ(BankReview::faultyWords(sound), "") << sound;
}

TEST(BankReview, theStudyOrderPutsEachFamilyFarApartAndMixesTrueAndFalse)
{
    std::vector<BankQuestion> bank;
    const char* subjects[] = { "实习期", "记分周期", "驾驶证有效期", "换证期限", "陪同年限", "审验周期", "体检周期", "补领期限", "拘留天数", "罚款数额", "学习天数", "考试次数" };
    int number = 1;
    const auto id = [&] {
        const int n = number++;
        return "10100" + std::string(n < 10 ? "0" : "") + std::to_string(n);
    };
    for (const char* subject : subjects) {
        const std::string stem = std::string(subject) + "为（　　）。";
        bank.push_back(choice(id(), stem, { "12个月", "6个月", "24个月", "36个月" }));
        bank.push_back(statement(id(), std::string(subject) + "为12个月。", "Y"));
        bank.push_back(statement(id(), std::string(subject) + "为6个月。", "N"));
    }
    std::vector<std::size_t> fileOrder(bank.size());
    for (std::size_t i = 0; i < bank.size(); ++i)
        fileOrder[i] = i;
    EXPECT_EQ(BankReview::closestFamilyMembers(bank, fileOrder), 1u);

    const auto order = BankReview::studyOrder(bank);
    ASSERT_EQ(order.size(), bank.size());
    EXPECT_GE(BankReview::closestFamilyMembers(bank, order), BankReview::kLeastApart);
    // The first statements of the families are not all true ones.
    std::string answers;
    for (std::size_t place = std::size(subjects); place < 2 * std::size(subjects); ++place)
        answers += bank[order[place]].answer;
    EXPECT_NE(answers.find('Y'), std::string::npos);
    EXPECT_NE(answers.find('N'), std::string::npos);
}
