#pragma once
// The theory question bank: "brenlow_data.db", copied from the application's resources into the
// documents folder, where the learner's answers and favourites are written into it. Every
// operation opens the file, runs its statements and closes it again; nothing is kept open.
//
// The bank file is never created empty: it is copied under a temporary name and renamed into
// place, and a file that is missing, is no database or lacks the question table is replaced
// from the resources, keeping whatever marks of the old file can still be read. An operation
// that meets such a file answers its empty result and leaves the bank repaired for the next one.

#include "platform/foundation/Mutex.h"
#include "platform/foundation/NSArray.h"
#include "platform/foundation/NSDictionary.h"

#include <cstdint>
#include <functional>
#include <set>
#include <string>

class SQResultSet;

// One question: the 24 selected columns under their own names. Text columns are strings (a NULL
// column leaves its key out), "issave" and "type" integer numbers; "family" names the first
// question of the question's family.
using QuestionRecord = NSMutableDictionary;

class QuestionManager : public NSObject {
    NS_OBJECT(QuestionManager, NSObject)
public:
    // Draws the indexes of random picks; any value, taken modulo the count.
    using RandomSource = std::function<std::uint32_t()>;
    // The question ids already on a paper, and the families it holds as familyMark(family): a row
    // query leaves them out.
    using QuestionIds = std::set<std::string>;
    static std::string familyMark(const std::string& family) { return "family " + family; }

    static std::shared_ptr<QuestionManager> shareInstance();
    // Every way of making one yields the shared store.
    static std::shared_ptr<QuestionManager> create() { return shareInstance(); }
    id copy() const override { return std::const_pointer_cast<NSObject>(shared_from_this()); }

    // The bank in the documents folder, and the delivered one in the resources (nil when missing).
    static NSString getDBPath();
    NSString bundledDBPath() const;
    // Where the delivered bank is taken from; nil goes back to the main bundle's.
    void setBundledDBPath(const NSString& path);

    // Seeded once per process from the system's entropy; a test sets its own, nil goes back.
    void setRandomSource(RandomSource source);

    // Makes the documents copy usable: copies it when missing, replaces it (keeping the readable
    // marks) when it is damaged or lacks the question table. YES when a usable bank is in place;
    // NO too when another connection holds the bank locked, which is left as it is.
    bool prepareBank();

    std::shared_ptr<NSMutableArray> subjectForQuestions(const NSString& carType);
    std::shared_ptr<QuestionRecord> questionParse(const std::shared_ptr<SQResultSet>& resultSet, bool init) const;

    // Lists of one licence class and subject ("1" to "3"), in the bank's order.
    std::shared_ptr<NSMutableArray> sequenceQuestions(const NSString& carType, const NSString& subject, bool init);
    std::shared_ptr<NSMutableArray> singleChoiseQuestions(const NSString& carType, const NSString& subject, bool init);
    std::shared_ptr<NSMutableArray> mutilChoiseQuestions(const NSString& carType, const NSString& subject, bool init);
    std::shared_ptr<NSMutableArray> judgeQuestions(const NSString& carType, const NSString& subject, bool init);
    std::shared_ptr<NSMutableArray> wordQuestions(const NSString& carType, const NSString& subject, bool init);
    std::shared_ptr<NSMutableArray> photoQuestions(const NSString& carType, const NSString& subject, bool init);
    std::shared_ptr<NSMutableArray> videoQuestions(const NSString& carType, const NSString& subject, bool init);
    std::shared_ptr<NSMutableArray> arrearQuestions(const NSString& carType, const NSString& subject, bool init);
    std::shared_ptr<NSMutableArray> queryAnserError(const NSString& carType, const NSString& subject, bool init);
    std::shared_ptr<NSMutableArray> queryFavorite(const NSString& carType, const NSString& subject, bool init);
    std::shared_ptr<NSMutableArray> queryAnsered(const NSString& carType, const NSString& subject, bool init);

    // One blueprint row: at most `total` questions of chapter `examp` and kind `quType`, topped up
    // as each query does; questions named in `exclude` are never returned.
    std::shared_ptr<NSMutableArray> randomQuestions(const NSString& carType, const NSString& subject, const NSString& examp,
        int total, const NSString& quType, bool init, const QuestionIds& exclude = {});
    std::shared_ptr<NSMutableArray> testQuestons(const NSString& carType, const NSString& subject, const NSString& examp,
        int total, const NSString& quType, const QuestionIds& exclude = {});
    std::shared_ptr<NSMutableArray> testUnAnswerQuestons(const NSString& carType, const NSString& subject, const NSString& examp,
        int total, const NSString& quType, const QuestionIds& exclude = {});
    std::shared_ptr<NSMutableArray> testErrorQuestons(const NSString& carType, const NSString& subject, const NSString& examp,
        int total, const NSString& quType, const QuestionIds& exclude = {});

    // Records an answer: type 1 when right, 2 when wrong, with the answer in "answeryn" for a
    // true/false question and in "answermany" otherwise.
    bool insertAnswered(const NSString& quid, bool isJudge, const NSString& answer, bool result);
    bool insertFavorite(const NSString& quid);
    bool deleteFavorite(const NSString& quid);

    int questionTotal(const NSString& carType, const NSString& subject);
    bool insertAnswerError(const NSString& quid, const NSString& answer);
    bool existsError(const NSString& quid);
    bool existsAnswered(const NSString& quid);
    bool existsFavorite(const NSString& quid);

protected:
    void init();

private:
    class Connection;
    struct RowStatements;

    std::shared_ptr<NSMutableArray> list(const char* condition, const NSString& carType, const NSString& subject, bool init);
    std::shared_ptr<NSMutableArray> paperRow(const RowStatements& statements, const NSString& carType, const NSString& subject,
        const NSString& examp, int total, const NSString& quType, bool init, const QuestionIds& exclude);
    bool update(const char* sql, const std::shared_ptr<NSDictionary>& parameters);
    bool exists(const char* sql, const NSString& quid);
    std::uint32_t nextRandom();
    // After a statement failed: replaces the bank when the failure came from the file itself.
    void repairAfterFailure(int errorCode);

    mutable Mutex m_mutex;
    RandomSource m_random GUARDED_BY(m_mutex);
    NSString m_bundledDBPath GUARDED_BY(m_mutex);
};
