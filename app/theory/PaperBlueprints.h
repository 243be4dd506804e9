#pragma once
// The rows of the papers' blueprints: chapter, count and question kind, the subject being the
// paper's. Shared with the bank's builder, which checks that the bank can fill every row.

namespace PaperBlueprints {

struct Row {
    const char* chapter;
    int count;
    const char* kind;
};

inline constexpr Row kSubjectsOneAndTwo[] = {
    { "01", 10, "0" }, { "01", 10, "2" }, { "02", 10, "0" }, { "03", 20, "0" }, { "03", 10, "2" },
    { "04", 10, "0" }, { "04", 10, "2" }, { "05", 20, "0" }, { "05", 10, "2" },
};
inline constexpr Row kPracticeSubjectThree[] = {
    { "01", 5, "0" }, { "02", 20, "0" }, { "02", 20, "2" }, { "03", 5, "0" }, { "03", 5, "2" }, { "04", 10, "2" }, { "05", 10, "0" },
    { "05", 5, "2" }, { "06", 5, "0" }, { "06", 10, "2" }, { "01", 2, "1" }, { "02", 2, "1" }, { "03", 1, "1" },
};
inline constexpr Row kExamSubjectThree[] = {
    { "01", 5, "0" }, { "02", 10, "0" }, { "02", 5, "2" }, { "03", 5, "0" }, { "03", 5, "2" }, { "04", 5, "2" },
    { "05", 5, "0" }, { "05", 5, "2" }, { "01", 2, "1" }, { "02", 2, "1" }, { "03", 1, "1" },
};

} // namespace PaperBlueprints
