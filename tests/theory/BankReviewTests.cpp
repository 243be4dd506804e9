// The bank builder's review: repeats seen through option order and small changes, faulty words,
// families (a fill-in question and its statements, the questions about one picture or clip) kept
// apart in study order, and ids never given twice.
#include "tools/questionbank/BankReview.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <set>

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

// A question about a drawing ("0") or a clip ("2").
BankQuestion about(BankQuestion q, const char* content, const std::string& media)
{
    q.qncontype = content;
    q.media = media;
    return q;
}

// A question alone: its text shares nothing with the others'.
BankQuestion alone(const std::string& id)
{
    return statement(id, "单独的第" + id + "题。", "Y");
}

std::string id(int subjectAndChapter, int number)
{
    const std::string digits = std::to_string(number);
    return std::to_string(subjectAndChapter) + std::string(4 - digits.size(), '0') + digits;
}

bool mentions(const std::vector<std::string>& problems, const std::string& words)
{
    return std::any_of(problems.begin(), problems.end(), [&](const std::string& problem) { return problem.find(words) != std::string::npos; });
}

// The bank in its file order has a family's members side by side; its study order, given in
// `order`, keeps every family kLeastApart in every practice list, or as far as the list allows.
void expectStudyOrderKeepsFamiliesApart(const std::vector<BankQuestion>& bank, std::vector<std::size_t>& order)
{
    std::vector<std::size_t> fileOrder(bank.size());
    std::iota(fileOrder.begin(), fileOrder.end(), std::size_t { 0 });
    EXPECT_EQ(BankReview::closestFamilyMembers(bank, fileOrder), 1u);
    order = BankReview::studyOrder(bank);
    ASSERT_EQ(order.size(), bank.size());
    for (const auto& problem : BankReview::closeInPracticeLists(bank, order, BankReview::families(bank), BankReview::giveAways(bank)))
        ADD_FAILURE() << problem;
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

TEST(BankReview, doubledOrContradictedWordsAndMisplacedSubjectsOrTimesAreRefusedAndSoundSentencesPass)
{
    for (const char* faulty : { "驾驶机动车时，驾驶人的身体应当身体前倾贴近转向盘。", "倒车入库时，车辆应当从只能从左侧方向倒入库位。",
             "机动车驾驶人、乘坐人员应当只有驾驶人使用安全带。", "驾驶人应当按规定应当系好安全带。", "发动机舱起火时，驾驶人应当不要贸然打开发动机舱盖。",
             "驾驶人应当注意注意观察。", "汽车倒车时应当车辆低速前进时后再挂入倒挡。", "汽车倒车时，应当在车辆低速前进时后再挂入倒挡。",
             "因抢救受伤人员变动现场的，应当不必记录。", "驾驶人在行车中应当少用、慎用使用喇叭。", "停车时必须驾驶人先拉紧驻车制动器。" })
        EXPECT_FALSE(BankReview::faultyWords(faulty).empty()) << faulty;
    for (const char* sound : { "驾驶机动车时，驾驶人的身体应当前倾贴近转向盘。", "机动车在有禁止掉头或者禁止左转弯标志的地点不得掉头。",
             "可以载人但不得超过核定人数。", "制动时，应当根据需要平稳踩下制动踏板。", "倒车入库时，车辆应当分别从左右两侧倒入库位。",
             "发动机舱起火时，驾驶人不要贸然打开发动机舱盖，应从缝隙喷射灭火剂。", "汽车倒车时，应当在车辆完全停止后挂入倒挡。",
             "视频中，前车减速时后车也随之减速。", "转弯时后轮比前轮更靠内侧。", "驾驶人在行车中应当谨慎使用喇叭。", "因抢救受伤人员变动现场的，应当标明位置。" })
        EXPECT_EQ(BankReview::faultyWords(sound), "") << sound;
}

TEST(BankReview, aDutyTurnedIntoALeaveAndAColonWithinAColonAreRefusedButTheirLookAlikesPass)
{
    for (const char* faulty : { "倒车时，驾驶人应当不看后方直接倒车。", "车辆制动液应当一直使用、不必更换。", "停车时驾驶人必须不熄火。",
             "行车中应该保持车速、无需观察后方。", "图中路面标线表示：虚实线：实线一侧禁止越线。", "正确说法：图中标线的含义：导向车道。" })
        EXPECT_FALSE(BankReview::faultyWords(faulty).empty()) << faulty;
    EXPECT_EQ(BankReview::faultyWords("车辆制动液应当一直使用、不必更换。"), "应当一直使用、不必");
    for (const char* sound : { "倒车时，驾驶人可以不看后方直接倒车。", "车辆制动液可以一直使用，不必更换。", "车辆只靠蓄电池供电，应当关闭不必要的用电设备。",
             "遇行人通过时应当停车让行，不必鸣喇叭催促。", "图中路面标线表示：虚实线，实线一侧禁止越线。",
             "正确说法：进入隧道前应当减速。图中标线的含义：导向车道。", "会车时应当使用近光灯，不用远光灯。",
             "跟车距离应当不少于50米。", "行车中应当不断观察后视镜。" })
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
    std::vector<std::size_t> order;
    ASSERT_NO_FATAL_FAILURE(expectStudyOrderKeepsFamiliesApart(bank, order));
    // The first statements of the families are not all true ones.
    std::string answers;
    for (std::size_t place = std::size(subjects); place < 2 * std::size(subjects); ++place)
        answers += bank[order[place]].answer;
    EXPECT_NE(answers.find('Y'), std::string::npos);
    EXPECT_NE(answers.find('N'), std::string::npos);
}

TEST(BankReview, aPicturesOrClipsQuestionsAndAStemsStatementsInAnyChapterAreOneFamilyKeptApart)
{
    std::vector<BankQuestion> bank;
    // Chapter 1-02: questions alone, then a clip's question and its statement at the chapter's end.
    for (int n = 1; n <= 20; ++n)
        bank.push_back(alone(id(102, n)));
    bank.push_back(about(choice(id(102, 21), "视频中车辆的做法是否正确？", { "正确", "错误" }), "2", "clip_redlight"));
    bank.push_back(about(statement(id(102, 22), "视频中车辆的做法正确。", "N"), "2", "clip_redlight"));
    // Chapter 1-03: a drawing's question and its statement next to each other, a stem whose
    // statement is filled in by two stems, one of them in the other chapter.
    bank.push_back(about(choice(id(103, 1), "仪表板上这个指示灯亮表示什么？", { "驻车制动未松开", "远光灯已开启" }), "0", "dash_parking_brake"));
    bank.push_back(about(statement(id(103, 2), "仪表板上这个指示灯亮表示驻车制动未松开。", "Y"), "0", "dash_parking_brake"));
    bank.push_back(choice(id(103, 3), "后车应当与前车保持（　　）。", { "足以采取紧急制动措施的安全距离", "尽可能近的距离" }));
    bank.push_back(statement(id(103, 4), "后车应当与前车保持足以采取紧急制动措施的安全距离。", "Y"));
    bank.push_back(statement(id(103, 5), "后车应当与前车保持尽可能近的距离。", "N"));
    for (int n = 6; n <= 25; ++n)
        bank.push_back(alone(id(103, n)));
    bank.push_back(choice(id(102, 23), "后车应当与前车保持足以（　　）的安全距离。", { "采取紧急制动措施", "超越前车" }));
    bank.back().chapter = "02";
    // The same drawing in another subject's chapter belongs to the family as well.
    bank.push_back(about(statement(id(303, 1), "这个指示灯表示驻车制动未松开。", "Y"), "0", "dash_parking_brake"));
    // Another drawing and a text question without a picture are families of their own.
    bank.push_back(about(choice(id(303, 2), "这个指示灯亮表示什么？", { "远光灯已开启", "驻车制动未松开" }), "0", "dash_high_beam"));

    const auto family = BankReview::families(bank);
    const auto at = [&](const std::string& wanted) {
        return std::size_t(std::find_if(bank.begin(), bank.end(), [&](const BankQuestion& q) { return q.id == wanted; }) - bank.begin());
    };
    EXPECT_EQ(family[at("1020022")], at("1020021"));
    EXPECT_EQ(family[at("1030002")], at("1030001"));
    EXPECT_EQ(family[at("3030001")], at("1030001"));
    EXPECT_EQ(family[at("1030004")], at("1030003"));
    EXPECT_EQ(family[at("1030005")], at("1030003"));
    EXPECT_EQ(family[at("1020023")], at("1030003")) << "a second stem filled by the same statement";
    EXPECT_EQ(family[at("3030002")], at("3030002"));
    EXPECT_EQ(family[at("1030006")], at("1030006"));

    std::vector<std::size_t> order;
    expectStudyOrderKeepsFamiliesApart(bank, order);
}

TEST(BankReview, anIdIsNeverGivenAgainAndARemovedQuestionsIdMustBeRetired)
{
    std::vector<BankQuestion> bank { alone("1010001"), alone("1010002"), alone("1010004"), alone("1020001") };
    for (std::size_t i = 0; i < bank.size(); ++i)
        bank[i].origin = bank[i].id.substr(0, 1) + "-" + bank[i].id.substr(1, 2) + ".tsv:" + std::to_string(i + 2);
    BankReview::IdLedger ledger { { { "1-01", "1010004" }, { "1-02", "1020001" } }, { "1010003" } };
    EXPECT_TRUE(BankReview::idProblems(bank, ledger).empty());

    // 1010004 removed without being retired: its id could come back.
    auto removed = bank;
    removed.erase(removed.begin() + 2);
    auto problems = BankReview::idProblems(removed, ledger);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_TRUE(mentions(problems, "id 1010004 of 1-01 is neither in the bank nor retired"));

    // A new question given the retired id, or an id past the chapter's last without moving it on.
    auto reused = bank;
    reused.push_back(alone("1010003"));
    reused.back().origin = "1-01.tsv:9";
    reused.push_back(alone("1020002"));
    problems = BankReview::idProblems(reused, ledger);
    EXPECT_TRUE(mentions(problems, "1-01.tsv:9: id 1010003 is retired"));
    EXPECT_TRUE(mentions(problems, "id 1020002 is beyond the last id issued in 1-02"));
    EXPECT_EQ(problems.size(), 2u);
}

namespace {

// A "下列说法" question: the statements, the letter of the one it asks for, and an explanation
// naming that one as the bank writes it.
BankQuestion saying(const std::string& id, bool asksRight, std::vector<std::string> statements, char answer)
{
    BankQuestion q = choice(id, asksRight ? "下列说法中，正确的是（　　）。" : "下列说法中，错误的是（　　）。", statements, std::string(1, answer));
    const std::string& named = statements[std::size_t(answer - 'A')];
    q.describe = asksRight ? "正确说法：" + named + "理由。" : "“" + named + "”的说法错误。理由。";
    return q;
}

// Ten characters no other call shares, so that no two such statements look alike.
std::string unlike(int n)
{
    std::string text;
    for (int k = 0; k < 10; ++k) {
        const auto c = char32_t(0x4E00 + 10 * n + k);
        text += { char(0xE0 | (c >> 12)), char(0x80 | ((c >> 6) & 0x3F)), char(0x80 | (c & 0x3F)) };
    }
    return text + "。";
}

bool paired(const BankReview::Pairs& pairs, const std::vector<BankQuestion>& bank, const std::string& a, const std::string& b)
{
    return std::any_of(pairs.begin(), pairs.end(), [&](const auto& pair) {
        return (bank[pair.first].id == a && bank[pair.second].id == b) || (bank[pair.first].id == b && bank[pair.second].id == a);
    });
}

} // namespace

TEST(BankReview, aQuestionAnsweringAnotherIsFoundAndLookAlikesAreNot)
{
    const std::vector<BankQuestion> bank {
        saying("1010067", true, { "实习期内应当粘贴警告标志。", "实习期驾驶人上高速应当由持证一年以上的驾驶人陪同。", "初次申领的机动车驾驶证实习期为12个月。", "记分周期为6个月。" }, 'C'),
        saying("1010068", false, { "实习期内应当粘贴实习标志。", "实习期驾驶人上高速应当由持证三年以上的驾驶人陪同。", "记分周期为12个月。", "初次申领的机动车驾驶证实习期为6个月。" }, 'D'),
        // Quotes a statement of 1010067, another comma and no full stop.
        statement("1010069", "实习期驾驶人上高速, 应当由持证一年以上的驾驶人陪同", "N"),
        saying("2040075", false, { "夜间在没有路灯的道路上行驶，在对向无来车时可以使用远光灯。", "夜间同方向近距离跟车行驶时，应当使用近光灯。",
                                     "在照明良好的路段夜间会车时，驾驶人可以使用远光灯。", "在雾天行驶时，应当开启雾灯。" }, 'C'),
        // One word from the statement 2040075 names.
        statement("2040044", "在照明良好的路段夜间会车时，驾驶人不得使用远光灯。", "Y"),
        // Look-alikes: two stretches changed, part of a statement only, the statement of a question
        // that is no "下列说法" one, and two true/false questions one number apart.
        statement("2040045", "在照明不良的路段夜间会车时，对向驾驶人必须使用近光灯。", "Y"),
        statement("2040046", "夜间同方向近距离跟车行驶时", "Y"),
        choice("2040047", "夜间跟车时应当怎样使用灯光？", { "夜间同方向近距离跟车行驶时，应当使用近光灯。", "使用远光灯。" }),
        statement("2040048", "夜间同方向近距离跟车行驶时，应当使用近光灯。", "Y"),
        statement("1010070", "初次申领的机动车驾驶证实习期为3个月。", "N"),
        // Another subject's statement: their practice lists never meet.
        statement("3010001", "初次申领的机动车驾驶证实习期为12个月。", "Y"),
    };
    const auto pairs = BankReview::giveAways(bank);
    EXPECT_TRUE(paired(pairs, bank, "1010067", "1010068")) << "statements one number apart, each named by its explanation";
    EXPECT_TRUE(paired(pairs, bank, "1010067", "1010069")) << "a statement quoted as a true/false question";
    EXPECT_TRUE(paired(pairs, bank, "2040075", "2040044")) << "a named statement with its verb negated";
    EXPECT_TRUE(paired(pairs, bank, "2040075", "2040048")) << "an unnamed statement quoted whole";
    EXPECT_TRUE(paired(pairs, bank, "1010068", "1010070")) << "one number from a named statement";
    for (const char* lookAlike : { "2040045", "2040046", "2040047", "3010001" })
        EXPECT_FALSE(std::any_of(pairs.begin(), pairs.end(), [&](const auto& pair) { return bank[pair.first].id == lookAlike || bank[pair.second].id == lookAlike; }))
            << lookAlike;
    EXPECT_FALSE(paired(pairs, bank, "1010069", "1010070"));
    EXPECT_EQ(pairs.size(), 6u) << "1010067 and 1010070 as well, one number from its named statement";

    EXPECT_TRUE(BankReview::nearlySameStatement("驾驶人不得使用远光灯。", "驾驶人，可以使用远光灯"));
    EXPECT_FALSE(BankReview::nearlySameStatement("远光灯。", "近光灯。")) << "too short to be a statement";
    EXPECT_FALSE(BankReview::nearlySameStatement("城市道路上最高速度为每小时30公里。", "公路上最高速度为每小时40公里。"));
}

namespace {

// Chapter by chapter in the file each question stands next to the one answering it: a
// "下列说法" question and the true/false questions quoting it, two of one clip at a chapter's
// end, a stem with its statements, and a question joined to a family by id.
std::vector<BankQuestion> questionsAnsweringTheirNeighbours(BankReview::Joins& joins)
{
    std::vector<BankQuestion> bank;
    for (int chapter = 1; chapter <= 3; ++chapter) {
        const int at = 100 + chapter;
        int number = 1;
        for (int topic = 0; topic < 8; ++topic) {
            const std::string t = std::to_string(chapter) + "-" + std::to_string(topic);
            std::vector<std::string> statements;
            for (int fact = 0; fact < 3; ++fact)
                statements.push_back(unlike(30 * chapter + 3 * topic + fact));
            bank.push_back(saying(id(at, number++), topic % 2 == 0, statements, 'A'));
            for (const auto& quoted : statements)
                bank.push_back(statement(id(at, number++), quoted, "Y"));
            bank.push_back(choice(id(at, number++), "题目" + t + "的答案是（　　）。", { "甲", "乙" }));
            bank.push_back(statement(id(at, number++), "题目" + t + "的答案是甲。", "Y"));
            bank.push_back(statement(id(at, number++), "题目" + t + "的答案是乙。", "N"));
            bank.push_back(statement(id(at, number++), "另一种问法" + t + "。", "Y"));
            joins.emplace_back(bank.back().id, bank[bank.size() - 4].id);
        }
        const char* clips[] = { "clip_redlight", "clip_overtake", "clip_fog" };
        bank.push_back(about(choice(id(at, number++), "视频中车辆应当怎样做？", { "停车", "加速" }), "2", clips[chapter - 1]));
        bank.push_back(about(statement(id(at, number++), "视频中车辆停车是正确的。", "Y"), "2", clips[chapter - 1]));
        bank.push_back(about(statement(id(at, number++), "视频中车辆加速是正确的。", "N"), "2", clips[chapter - 1]));
    }
    return bank;
}

// The chapters of a subject's sequence, one for each run of questions of one chapter.
std::vector<std::string> chapterRuns(const std::vector<BankQuestion>& bank, const std::vector<std::size_t>& order)
{
    std::vector<std::string> runs;
    for (std::size_t index : order)
        if (runs.empty() || runs.back() != bank[index].chapter)
            runs.push_back(bank[index].chapter);
    return runs;
}

} // namespace

TEST(BankReview, everyPracticeListKeepsQuestionsGivingEachOtherAwayAndFamiliesApartAsFarAsItsLengthAllows)
{
    BankReview::Joins joins;
    const std::vector<BankQuestion> bank = questionsAnsweringTheirNeighbours(joins);
    std::vector<std::size_t> fileOrder(bank.size());
    std::iota(fileOrder.begin(), fileOrder.end(), std::size_t { 0 });
    const auto family = BankReview::families(bank, joins);
    EXPECT_EQ(family[7], family[4]) << "the join";
    const auto pairs = BankReview::giveAways(bank);
    EXPECT_EQ(pairs.size(), 3u * 8 * 3);
    const auto close = BankReview::closeInPracticeLists(bank, fileOrder, family, pairs);
    for (const char* list : { "subject 1 sequence practice", "subject 1 true/false practice", "subject 1 text practice" })
        EXPECT_TRUE(mentions(close, list)) << list;
    EXPECT_TRUE(mentions(close, "1010001 and 1010002 give each other's answer away and stand 1 apart in subject 1 sequence practice, at least 5 wanted"));
    // Each chapter's part of the clip list is its clip's three questions: side by side is all it allows.
    EXPECT_FALSE(mentions(close, "clip practice"));
    EXPECT_EQ(BankReview::wantedApart(BankReview::kLeastApart, 9, 3), 3u);
    EXPECT_EQ(BankReview::wantedApart(BankReview::kLeastApart, 900, 3), BankReview::kLeastApart);
    EXPECT_EQ(BankReview::wantedApart(BankReview::kGiveAwayApart, 8, 2), 4u);

    const auto order = BankReview::studyOrder(bank, joins);
    ASSERT_EQ(std::set<std::size_t>(order.begin(), order.end()).size(), bank.size());
    const auto problems = BankReview::closeInPracticeLists(bank, order, family, pairs);
    for (const auto& p : problems) ADD_FAILURE() << p;
}

TEST(BankReview, sequencePracticeGoesChapterByChapterAndAnOrderLeavingAChapterAndComingBackIsRefused)
{
    BankReview::Joins joins;
    const std::vector<BankQuestion> bank = questionsAnsweringTheirNeighbours(joins);
    const auto order = BankReview::studyOrder(bank, joins);
    EXPECT_EQ(chapterRuns(bank, order), (std::vector<std::string> { "01", "02", "03" }));
    EXPECT_TRUE(BankReview::scatteredChapters(bank, order).empty());

    // Chapter 01's last question put after two of chapter 02: the builder refuses it.
    const auto firstOfTwo = std::size_t(std::find_if(order.begin(), order.end(), [&](std::size_t index) { return bank[index].chapter == "02"; }) - order.begin());
    auto scattered = order;
    std::rotate(scattered.begin() + std::ptrdiff_t(firstOfTwo) - 1, scattered.begin() + std::ptrdiff_t(firstOfTwo), scattered.begin() + std::ptrdiff_t(firstOfTwo) + 2);
    BankReview::IdLedger ledger;
    const auto problems = BankReview::review(bank, scattered, ledger, joins);
    EXPECT_TRUE(mentions(problems, "subject 1 sequence practice leaves chapter 1-01 after " + bank[order[firstOfTwo - 2]].id + " and comes back to it at "
        + bank[order[firstOfTwo - 1]].id))
        << testing::PrintToString(problems);
    EXPECT_FALSE(mentions(BankReview::review(bank, order, ledger, joins), "sequence practice leaves"));
}

TEST(BankReview, aQuestionSwappedInUnderItsIdIsRefusedUntilTheLedgerRecordsItsNewWording)
{
    std::vector<BankQuestion> bank { choice("1030239", "以下哪些路段不得停车？", { "交叉路口", "隧道" }), alone("1030240"), alone("1030241") };
    for (std::size_t i = 0; i < bank.size(); ++i)
        bank[i].origin = "1-03.tsv:" + std::to_string(i + 2);
    BankReview::IdLedger ledger { { { "1-03", "1030241" } }, {}, {} };
    for (const auto& q : bank)
        ledger.asked[q.id] = BankReview::askedBy(q);
    EXPECT_TRUE(BankReview::askedProblems(bank, ledger).empty());
    // A mended answer or explanation is the same question.
    bank[0].answer = "B";
    bank[0].describe = "隧道内不得停车。";
    EXPECT_TRUE(BankReview::askedProblems(bank, ledger).empty());

    // Another question put in under 1030241, options changed under 1030239.
    bank[2] = choice("1030241", "以下哪些路段距离50米以内不得停车？", { "交叉路口", "隧道" });
    bank[2].origin = "1-03.tsv:4";
    bank[0].options[1] = "急弯路";
    auto problems = BankReview::askedProblems(bank, ledger);
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_TRUE(mentions(problems, "1-03.tsv:4: id 1030241 was issued for true/false \"单独的第1030241题。|||||\" and now asks single choice \"以下哪些路段距离50米以内不得停车？|交叉路口|隧道|||\""));
    EXPECT_TRUE(mentions(problems, "questionbank_build --record <bank folder> 1030241"));
    EXPECT_TRUE(mentions(problems, "id 1030239 was issued for"));

    // The rewording recorded, the swap still refused; a new question not recorded at all.
    ledger.asked["1030239"] = BankReview::askedBy(bank[0]);
    bank.push_back(alone("1030242"));
    bank.back().origin = "1-03.tsv:5";
    problems = BankReview::askedProblems(bank, ledger);
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_TRUE(mentions(problems, "id 1030241 was issued for"));
    EXPECT_TRUE(mentions(problems, "1-03.tsv:5: what id 1030242 asks is not in asked.tsv"));
    // The retired and beyond-the-last checks go on beside it.
    ledger.retired.insert("1030241");
    EXPECT_FALSE(mentions(BankReview::askedProblems(bank, ledger), "1030241"));
    EXPECT_TRUE(mentions(BankReview::idProblems(bank, ledger), "id 1030241 is retired"));
    EXPECT_TRUE(mentions(BankReview::idProblems(bank, ledger), "id 1030242 is beyond the last id issued in 1-03"));
}
