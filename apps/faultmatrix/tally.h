// Counting what a fault did to an operation, and the table of the counts.
#pragma once

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace qm::faultmatrix {

enum class Verdict {
    Recovered,      // succeeded with exactly the fault-free result
    FailedClearly,  // reported failure and left the camera as it was, or as the operation would
    WrongResult,    // succeeded with another result, or failed and changed something else
    Corrupted,      // delivered a picture or frame that is not the camera's
    Hang,           // did not come back within the time limit
    NotReached,     // the fault never struck (the operation went another way)
};

struct Tally {
    unsigned injected = 0;  // faults that struck
    unsigned recovered = 0;
    unsigned failedClearly = 0;
    unsigned wrongResults = 0;
    unsigned corrupted = 0;
    unsigned hangs = 0;
    unsigned notReached = 0;
    double slowestSeconds = 0;

    void add(Verdict verdict, double seconds);
    Tally& operator+=(const Tally& other);
    bool clean() const { return wrongResults == 0 && corrupted == 0 && hangs == 0; }
};

// Rows in the order they were first added.
class Table {
public:
    explicit Table(std::string title, std::string corruptedColumn)
        : title_(std::move(title)), corruptedColumn_(std::move(corruptedColumn))
    {
    }
    Tally& row(const std::string& name);
    Tally total() const;
    void print(std::FILE* out) const;

private:
    std::string title_;
    std::string corruptedColumn_;
    std::vector<std::pair<std::string, Tally>> rows_;
};

const char* verdictName(Verdict verdict);

}  // namespace qm::faultmatrix
