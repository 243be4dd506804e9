// Builds the delivered question bank, an SQLite file with the table tb_question, from the text
// files of resources/questionbank (one per subject and chapter, named "<subject>-<chapter>.tsv").
// Every question is checked before anything is written, and so is the bank as a whole (see
// BankReview): a bank with a broken question, a repeat, faulty words, too few distinct items for
// a paper's row, a sequence practice that leaves a chapter and comes back, two questions of one
// family or two giving each other's answer away close together in a practice list, or an id given
// out before to another question is not built at all.
// The questions are numbered in their study order, which keeps them apart in every list the client
// shows in that order, and each row names its family (the id of its first question) so that a
// paper holds at most one of them.
//
// A file holds a header line and one question a line, fields separated by tabs:
//   id  qutype  qncontype  question  A  B  C  D  answer  media  explanation
// qutype 0 single choice, 1 multiple choice, 2 true/false (no options, answer Y or N);
// qncontype 0 picture (media names a drawing of pictures/), 1 text only, 2 video (media names a
// clip of the clip list). Each question is written once for every licence class given.
// Beside the tables, issued.tsv and retired.tsv keep the ids given out so far and asked.tsv what
// each id asks (see BankReview); families.tsv joins questions by id into one family (the same item
// asked in other words).
//
//   questionbank_build --record BANK_FOLDER ID...
// records in asked.tsv what each id named now asks, its kind included: for a new question, or one
// reworded under its id. A retired id named there leaves asked.tsv. Without the ledger's three
// files nothing is recorded.
#include "tools/questionbank/BankReview.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Question = BankQuestion;

std::vector<std::string> split(const std::string& line)
{
    std::vector<std::string> fields;
    std::string field;
    std::istringstream in(line);
    while (std::getline(in, field, '\t'))
        fields.push_back(field);
    if (!line.empty() && line.back() == '\t')
        fields.emplace_back();
    return fields;
}

std::vector<std::string> splitOn(const std::string& text, char separator)
{
    std::vector<std::string> items;
    std::string item;
    std::istringstream in(text);
    while (std::getline(in, item, separator))
        if (!item.empty())
            items.push_back(item);
    return items;
}

bool check(const Question& q, const std::set<std::string>& pictures, const std::set<std::string>& clips, std::string& problem)
{
    static const std::regex idPattern("[0-9]{7}");
    if (!std::regex_match(q.id, idPattern) || q.id.substr(0, 1) != q.subject || q.id.substr(1, 2) != q.chapter)
        return problem = "id must be subject, chapter and a five-digit number", false;
    if (q.text.empty() || q.describe.empty())
        return problem = "question and explanation must not be empty", false;
    if (q.qutype == "2") {
        for (const auto& option : q.options)
            if (!option.empty())
                return problem = "a true/false question has no options", false;
        if (q.answer != "Y" && q.answer != "N")
            return problem = "a true/false answer is Y or N", false;
    } else if (q.qutype == "0" || q.qutype == "1") {
        int present = 0;
        std::set<std::string> distinct;
        for (int i = 0; i < 4; ++i) {
            if (q.options[i].empty())
                continue;
            if (present != i)
                return problem = "options must be filled from A on without gaps", false;
            ++present;
            distinct.insert(q.options[i]);
        }
        if (present < 2 || int(distinct.size()) != present)
            return problem = "a choice question needs at least two different options", false;
        const std::vector<std::string> letters = splitOn(q.answer, ',');
        std::string joined;
        char previous = 0;
        for (const auto& letter : letters) {
            if (letter.size() != 1 || letter[0] < 'A' || letter[0] >= 'A' + present || letter[0] <= previous)
                return problem = "answer letters must name present options in ascending order", false;
            previous = letter[0];
            joined += (joined.empty() ? "" : ",") + letter;
        }
        if (joined != q.answer)
            return problem = "answer letters are joined by commas without blanks", false;
        if (q.qutype == "0" && letters.size() != 1)
            return problem = "a single-choice answer is one letter", false;
        if (q.qutype == "1" && letters.size() < 2)
            return problem = "a multiple-choice answer has at least two letters", false;
    } else {
        return problem = "qutype is 0, 1 or 2", false;
    }
    if (q.qncontype == "0") {
        if (!pictures.contains(q.media))
            return problem = "picture '" + q.media + "' is not drawn", false;
    } else if (q.qncontype == "2") {
        if (!clips.contains(q.media))
            return problem = "clip '" + q.media + "' is not made", false;
    } else if (q.qncontype == "1") {
        if (!q.media.empty())
            return problem = "a text question names no picture or clip", false;
    } else {
        return problem = "qncontype is 0, 1 or 2", false;
    }
    return true;
}

// Hands `take` the fields of each line of a table with a header line, but for lines with no first
// field; false when the file cannot be read.
template <class Take>
bool readRows(const fs::path& file, const Take& take)
{
    std::ifstream in(file);
    if (!in)
        return false;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        const auto fields = split(line);
        if (number > 1 && !fields.empty() && !fields[0].empty())
            take(fields);
    }
    return true;
}

// The ids given out so far, from the bank folder's issued.tsv (chapter, last id) and retired.tsv
// (id, the question it was given to), each with a header line.
bool readLedger(const fs::path& folder, BankReview::IdLedger& ledger)
{
    const auto read = [&](const char* name, const auto& take) {
        if (readRows(folder / name, take))
            return true;
        std::fprintf(stderr, "%s: missing; the ids given out so far are kept there\n", name);
        return false;
    };
    const bool issued = read("issued.tsv", [&](const std::vector<std::string>& fields) {
        if (fields.size() >= 2)
            ledger.lastIssued[fields[0]] = fields[1];
    });
    const bool retired = read("retired.tsv", [&](const std::vector<std::string>& fields) { ledger.retired.insert(fields[0]); });
    const bool asked = read("asked.tsv", [&](const std::vector<std::string>& fields) {
        std::string recorded;
        for (std::size_t i = 1; i < 8; ++i)
            recorded += (i > 1 ? "\t" : "") + (i < fields.size() ? fields[i] : std::string());
        ledger.asked[fields[0]] = recorded;
    });
    return issued && retired && asked;
}

// The questions joined by id (families.tsv: id, id, what they share), each pair once.
BankReview::Joins readJoins(const fs::path& folder)
{
    BankReview::Joins joins;
    readRows(folder / "families.tsv", [&](const std::vector<std::string>& fields) {
        if (fields.size() >= 2)
            joins.emplace_back(fields[0], fields[1]);
    });
    return joins;
}

// Every question line of the bank's tables, with a message for each line of the wrong shape.
std::vector<Question> readTables(const fs::path& folder, int& problems)
{
    std::vector<fs::path> files;
    static const std::regex namePattern("([1-3])-(0[1-6])\\.tsv");
    std::error_code error;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error))
        if (std::regex_match(entry->path().filename().string(), namePattern))
            files.push_back(entry->path());
    if (error) {
        std::fprintf(stderr, "%s: %s\n", folder.c_str(), error.message().c_str());
        ++problems;
    }
    std::sort(files.begin(), files.end());
    std::vector<Question> questions;
    for (const auto& file : files) {
        std::smatch match;
        const std::string name = file.filename().string();
        std::regex_match(name, match, namePattern);
        std::ifstream in(file);
        std::string line;
        int number = 0;
        while (std::getline(in, line)) {
            ++number;
            if (number == 1 || line.empty())
                continue;
            const auto fields = split(line);
            const std::string origin = name + ":" + std::to_string(number);
            if (fields.size() != 11) {
                std::fprintf(stderr, "%s: %zu fields, 11 expected\n", origin.c_str(), fields.size());
                ++problems;
                continue;
            }
            questions.push_back({ fields[0], match[1], match[2], fields[1], fields[2], fields[3], { fields[4], fields[5], fields[6], fields[7] },
                fields[8], fields[9], fields[10], origin });
        }
    }
    return questions;
}

// Records what each of `ids` asks now, keeping the other entries; asked.tsv is written in id order.
int record(const fs::path& folder, const std::vector<std::string>& ids)
{
    int problems = 0;
    const std::vector<Question> questions = readTables(folder, problems);
    BankReview::IdLedger ledger;
    // Without its ledger the record would start afresh and forget every id issued before.
    if (!readLedger(folder, ledger))
        ++problems;
    for (const auto& id : ids) {
        const auto found = std::find_if(questions.begin(), questions.end(), [&](const Question& q) { return q.id == id; });
        if (found != questions.end()) {
            ledger.asked[id] = BankReview::askedBy(*found);
        } else if (ledger.retired.contains(id)) {
            ledger.asked.erase(id);
        } else {
            std::fprintf(stderr, "%s is neither in the bank nor retired\n", id.c_str());
            ++problems;
        }
    }
    if (problems) {
        std::fprintf(stderr, "%d problems; asked.tsv is left as it was\n", problems);
        return 1;
    }
    const fs::path temporary = folder / "asked.tsv.writing";
    {
        std::ofstream out(temporary);
        out << "id\tqutype\tquestion\tA\tB\tC\tD\tpicture or clip\n";
        for (const auto& [id, asked] : ledger.asked)
            out << id << "\t" << asked << "\n";
        if (!out.flush()) {
            std::fprintf(stderr, "cannot write %s\n", temporary.c_str());
            return 1;
        }
    }
    std::error_code error;
    fs::rename(temporary, folder / "asked.tsv", error);
    if (error) {
        std::fprintf(stderr, "cannot replace asked.tsv: %s\n", error.message().c_str());
        return 1;
    }
    return 0;
}

bool exec(sqlite3* db, const char* sql)
{
    char* error = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        std::fprintf(stderr, "%s\n", error ? error : "sqlite error");
        sqlite3_free(error);
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 4 && std::string(argv[1]) == "--record")
        return record(argv[2], std::vector<std::string>(argv + 3, argv + argc));
    if (argc != 6) {
        std::fprintf(stderr, "usage: %s OUTPUT.db BANK_FOLDER PICTURES_FOLDER CLIPS(a,b,c) CLASSES(C1,C2)\n"
                             "       %s --record BANK_FOLDER ID...\n",
            argv[0], argv[0]);
        return 2;
    }
    const fs::path output = argv[1];
    const fs::path folder = argv[2];
    std::set<std::string> pictures;
    for (const auto& entry : fs::directory_iterator(argv[3]))
        if (entry.path().extension() == ".svg")
            pictures.insert(entry.path().stem().string());
    const std::vector<std::string> clipList = splitOn(argv[4], ',');
    const std::set<std::string> clips(clipList.begin(), clipList.end());
    const std::vector<std::string> classes = splitOn(argv[5], ',');

    int problems = 0;
    std::vector<Question> questions = readTables(folder, problems);
    std::set<std::string> ids;
    std::map<std::string, std::string> sameQuestions;
    for (const auto& q : questions) {
        std::string problem;
        if (!check(q, pictures, clips, problem)) {
            std::fprintf(stderr, "%s: %s\n", q.origin.c_str(), problem.c_str());
            ++problems;
        } else if (!ids.insert(q.id).second) {
            std::fprintf(stderr, "%s: id %s is used twice\n", q.origin.c_str(), q.id.c_str());
            ++problems;
        } else if (const auto [first, added] = sameQuestions.emplace(BankReview::sameQuestionKey(q), q.origin); !added) {
            std::fprintf(stderr, "%s: the same question as %s, whatever the order of its options\n", q.origin.c_str(), first->second.c_str());
            ++problems;
        }
    }
    BankReview::IdLedger ledger;
    if (!readLedger(folder, ledger))
        ++problems;
    const BankReview::Joins joins = readJoins(folder);
    const std::vector<std::size_t> order = BankReview::studyOrder(questions, joins);
    const std::vector<std::size_t> family = BankReview::families(questions, joins);
    std::size_t distinct = 0;
    if (!questions.empty()) {
        for (const auto& problem : BankReview::review(questions, order, ledger, joins, &distinct)) {
            std::fprintf(stderr, "%s\n", problem.c_str());
            ++problems;
        }
    }
    if (problems || questions.empty()) {
        std::fprintf(stderr, "%d problems; the bank is not built\n", problems);
        return 1;
    }

    const fs::path temporary = output.string() + ".building";
    fs::remove(temporary);
    sqlite3* db = nullptr;
    if (sqlite3_open(temporary.c_str(), &db) != SQLITE_OK) {
        std::fprintf(stderr, "cannot create %s\n", temporary.c_str());
        return 1;
    }
    bool ok = exec(db,
                  "create table tb_question(quid text primary key, trsubject text, examprojt text, qutype text, qncontype text, "
                  "itemcontent text, chiocea text, chioceb text, chiocec text, chioced text, picurl text, videourl text, answer text, "
                  "vehicletype text, describe text, suggest text, questate text, netpicurl text, netvideourl text, answermany text, "
                  "answeryn text, issave integer default 0, type integer default 0, qunum integer, family text);"
                  "create index tb_question_row on tb_question(vehicletype, trsubject, examprojt, qutype);"
                  "begin;");
    sqlite3_stmt* insert = nullptr;
    ok = ok
        && sqlite3_prepare_v2(db,
               "insert into tb_question(quid,trsubject,examprojt,qutype,qncontype,itemcontent,chiocea,chioceb,chiocec,chioced,picurl,videourl,"
               "answer,vehicletype,describe,questate,issave,type,qunum,family) values(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,'1',0,0,?,?)",
               -1, &insert, nullptr)
            == SQLITE_OK;
    int qunum = 0;
    for (const auto& vehicle : classes) {
        for (std::size_t index : order) {
            const Question& q = questions[index];
            if (!ok)
                break;
            ++qunum;
            const auto bindText = [&](int index, const std::string& value) {
                if (value.empty())
                    sqlite3_bind_null(insert, index);
                else
                    sqlite3_bind_text(insert, index, value.c_str(), int(value.size()), SQLITE_TRANSIENT);
            };
            bindText(1, vehicle + "_" + q.id);
            bindText(2, q.subject);
            bindText(3, q.chapter);
            bindText(4, q.qutype);
            bindText(5, q.qncontype);
            bindText(6, q.text);
            for (int i = 0; i < 4; ++i)
                bindText(7 + i, q.options[i]);
            bindText(11, q.qncontype == "0" ? "tiku/" + q.media + ".png" : "");
            bindText(12, q.qncontype == "2" ? "tiku/" + q.media + ".ogv" : "");
            bindText(13, q.answer);
            bindText(14, vehicle);
            bindText(15, q.describe);
            sqlite3_bind_int(insert, 16, qunum);
            bindText(17, questions[family[index]].id);
            ok = sqlite3_step(insert) == SQLITE_DONE;
            if (!ok)
                std::fprintf(stderr, "%s: %s\n", q.origin.c_str(), sqlite3_errmsg(db));
            sqlite3_reset(insert);
        }
    }
    sqlite3_finalize(insert);
    ok = ok && exec(db, "commit; vacuum;");
    sqlite3_close(db);
    if (!ok) {
        fs::remove(temporary);
        return 1;
    }
    fs::rename(temporary, output);
    std::set<std::string> drawings;
    std::size_t pictureQuestions = 0;
    for (const auto& q : questions) {
        if (q.qncontype == "0") {
            ++pictureQuestions;
            drawings.insert(q.media);
        }
    }
    const std::set<std::size_t> families(family.begin(), family.end());
    std::printf("question bank: %zu questions (%zu distinct items, %zu families, %zu picture questions over %zu drawings) for %zu licence classes\n",
        questions.size(), distinct, families.size(), pictureQuestions, drawings.size(), classes.size());
    return 0;
}
