#pragma once
// One question of the bank's tables as the builder reads it: the fields of its line, the subject
// and chapter of its table, and where it stands ("1-03.tsv:12") for the builder's messages.

#include <string>

struct BankQuestion {
    std::string id, subject, chapter, qutype, qncontype, text, options[4], answer, media, describe;
    std::string origin;
};
