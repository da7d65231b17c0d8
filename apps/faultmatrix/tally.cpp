#include "apps/faultmatrix/tally.h"

#include <algorithm>

namespace qm::faultmatrix {

void Tally::add(Verdict verdict, double seconds)
{
    slowestSeconds = std::max(slowestSeconds, seconds);
    if (verdict == Verdict::NotReached) {
        ++notReached;
        return;
    }
    ++injected;
    switch (verdict) {
    case Verdict::Recovered: ++recovered; break;
    case Verdict::FailedClearly: ++failedClearly; break;
    case Verdict::WrongResult: ++wrongResults; break;
    case Verdict::Corrupted: ++corrupted; break;
    case Verdict::Hang: ++hangs; break;
    case Verdict::NotReached: break;
    }
}

Tally& Tally::operator+=(const Tally& other)
{
    injected += other.injected;
    recovered += other.recovered;
    failedClearly += other.failedClearly;
    wrongResults += other.wrongResults;
    corrupted += other.corrupted;
    hangs += other.hangs;
    notReached += other.notReached;
    slowestSeconds = std::max(slowestSeconds, other.slowestSeconds);
    return *this;
}

Tally& Table::row(const std::string& name)
{
    for (auto& [rowName, tally] : rows_)
        if (rowName == name)
            return tally;
    rows_.emplace_back(name, Tally{});
    return rows_.back().second;
}

Tally Table::total() const
{
    Tally sum;
    for (const auto& [name, tally] : rows_)
        sum += tally;
    return sum;
}

void Table::print(std::FILE* out) const
{
    std::fprintf(out, "\n%s\n", title_.c_str());
    std::fprintf(out, "%-22s %8s %9s %8s %7s %*s %5s %9s %8s\n", "", "injected", "recovered", "failed", "wrong",
                 int(corruptedColumn_.size()), corruptedColumn_.c_str(), "hangs", "unreached", "slowest");
    auto line = [&](const std::string& name, const Tally& t) {
        std::fprintf(out, "%-22s %8u %9u %8u %7u %*u %5u %9u %7.1fs\n", name.c_str(), t.injected, t.recovered,
                     t.failedClearly, t.wrongResults, int(corruptedColumn_.size()), t.corrupted, t.hangs,
                     t.notReached, t.slowestSeconds);
    };
    for (const auto& [name, tally] : rows_)
        line(name, tally);
    line("total", total());
}

const char* verdictName(Verdict verdict)
{
    switch (verdict) {
    case Verdict::Recovered: return "recovered";
    case Verdict::FailedClearly: return "failed";
    case Verdict::WrongResult: return "WRONG RESULT";
    case Verdict::Corrupted: return "CORRUPTED";
    case Verdict::Hang: return "HANG";
    case Verdict::NotReached: return "not reached";
    }
    return "?";
}

}  // namespace qm::faultmatrix
