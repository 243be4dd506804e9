// The officers' statistics: coaches per review score bucket, and learners per subject with the
// graduates, counted over the period asked for. Only an officer's session is answered.
#include "tools/service-standin/StandInContext.h"

#include <chrono>
#include <cstdlib>
#include <optional>

namespace standin {

namespace {

std::string value(const Row& row, const char* name)
{
    for (const auto& [key, text] : row)
        if (key == name)
            return text;
    return {};
}

bool officerSession(StandInContext& context, const Fields& fields, httplib::Response& response)
{
    Session session;
    if (!context.liveSession(field(fields, "TALKID"), session, false, response))
        return false;
    if (session.roletype != "4") {
        reply(response, mainEnvelope("1", "无权查看统计"));
        return false;
    }
    return true;
}

// "yyyy-MM-dd" in ASCII digits naming a real day; its day number, for comparing periods.
std::optional<long> dayNumber(const std::string& text)
{
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return std::nullopt;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (i != 4 && i != 7 && (text[i] < '0' || text[i] > '9'))
            return std::nullopt;
    const int year = std::atoi(text.substr(0, 4).c_str());
    const unsigned month = static_cast<unsigned>(std::atoi(text.substr(5, 2).c_str()));
    const unsigned day = static_cast<unsigned>(std::atoi(text.substr(8, 2).c_str()));
    const std::chrono::year_month_day date { std::chrono::year(year), std::chrono::month(month), std::chrono::day(day) };
    if (!date.ok())
        return std::nullopt;
    return std::chrono::sys_days(date).time_since_epoch().count();
}

void coachAnalysis(StandInContext& context, const Fields& fields, httplib::Response& response)
{
    if (!officerSession(context, fields, response))
        return;
    Row row;
    for (const auto& bucket : context.query("select bucket, coaches from charts_coach_review order by bucket", {}))
        row.emplace_back(value(bucket, "bucket"), value(bucket, "coaches"));
    reply(response, mainEnvelope("0", "成功", { { row } }));
}

void learnerAnalysis(StandInContext& context, const Fields& fields, httplib::Response& response)
{
    if (!officerSession(context, fields, response))
        return;
    const std::string start = field(fields, "STARTCOUNTDATE");
    const std::string end = field(fields, "ENDCOUNTDATE");
    const auto first = dayNumber(start);
    const auto last = dayNumber(end);
    if (!first || !last)
        return reply(response, mainEnvelope("1", "统计日期格式错误"));
    if (*last < *first)
        return reply(response, mainEnvelope("1", "开始时间不能晚于结束时间"));
    if (*last - *first > 366)
        return reply(response, mainEnvelope("1", "统计区间不能超过一年"));
    Row row;
    auto counts = context.query("select subject, sum(learners) as learners from charts_learner "
                                "where day between ?1 and ?2 group by subject order by subject",
        { start, end });
    for (const auto& count : counts) {
        const int subject = std::atoi(value(count, "subject").c_str());
        row.emplace_back(subject == 0 ? std::string("GRADUATION") : "SUBJECT" + std::to_string(subject), value(count, "learners"));
    }
    // The service names every subject, with 0 for those nobody is in, but leaves out the graduates
    // when there are none.
    for (int subject = 1; subject <= 10; ++subject) {
        const std::string key = "SUBJECT" + std::to_string(subject);
        bool present = false;
        for (const auto& [name, text] : row)
            present = present || name == key;
        if (!present)
            row.emplace_back(key, "0");
    }
    reply(response, mainEnvelope("0", "成功", { { row } }));
}

} // namespace

void addChartsRoutes(Routes& routes)
{
    routes.mainMethods["coachAnalysisMethod"] = coachAnalysis;
    routes.mainMethods["stuAnalysisMethod"] = learnerAnalysis;
}

} // namespace standin
