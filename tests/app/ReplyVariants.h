#pragma once
// The replies the field sweep serves in place of a sample reply: each field left out and sent as
// null, in every row at once, and in one row only (the first, then the last) among rows that keep
// it. A screen that handles a field gone from every row may still send, drop or trip over the one
// bad row among good ones.

#include <string>
#include <vector>

class ReplyVariants {
public:
    struct Variant {
        // What was done to the field, for the failure messages: "left out", "null in the first of 2 rows".
        std::string name;
        std::string json;
    };

    explicit ReplyVariants(const std::string& sampleJson);

    bool isEmpty() const { return m_fields.empty(); }
    // Each a path to a value that holds no record: "output.head.retCode",
    // "output.body.array1.rowSet.row[].ABOUTID" (a field of the rows of that array).
    const std::vector<std::string>& fields() const { return m_fields; }
    // Left out and null in every row; for a field of rows also in the first and in the last row
    // alone. A list with one row is served with a copy of it after, so the spoiled row always has
    // a good one beside it.
    std::vector<Variant> variantsOf(const std::string& field) const;

private:
    std::string m_sample;
    std::vector<std::string> m_fields;
};
