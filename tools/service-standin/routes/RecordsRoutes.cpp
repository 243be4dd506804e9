// Training records and appeals (the appeal service's queryStudentHour by QUERY_TYPE), the hours
// summary, the school and coach evaluations, mail to the transport authority and the notices.
// Everything the learner sends is kept.
#include "tools/service-standin/ServicesTime.h"
#include "tools/service-standin/StandInContext.h"

#include "library/json/JSONCodecDeserializing.h"
#include "platform/foundation/NSArray.h"
#include "platform/foundation/NSDictionary.h"
#include "platform/foundation/NSNumber.h"
#include "platform/foundation/TypedValues.h"

#include <algorithm>
#include <cstdlib>
#include <map>

namespace standin {

namespace {

std::string value(const Row& row, const char* name)
{
    for (const auto& [key, text] : row)
        if (key == name)
            return text;
    return {};
}

std::string today()
{
    return servicesTime("%Y-%m-%d");
}

std::string text(const std::shared_ptr<NSDictionary>& param, const char* key)
{
    return ns::textOf(param ? param->objectForKey(NSString(key)) : nullptr).UTF8String();
}

// Characters an appeal's reason may have.
constexpr std::size_t kReasonLimit = 200;

std::size_t characterCount(const std::string& utf8)
{
    return static_cast<std::size_t>(std::count_if(utf8.begin(), utf8.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

bool learnerSession(StandInContext& context, const Fields& fields, Session& session, httplib::Response& response)
{
    return context.liveSession(field(fields, "TALKID"), session, false, response);
}

std::shared_ptr<NSMutableArray> arrayOf(const std::vector<Row>& rows)
{
    auto array = NSMutableArray::array();
    for (const auto& row : rows)
        array->addObject(dictionaryOf(row));
    return array;
}

void checkHours(StandInContext& context, const Fields& fields, httplib::Response& response)
{
    Session session;
    if (!learnerSession(context, fields, session, response))
        return;
    auto rows = context.query("select subject as SUBJECT, hourtype as HOURTYPE, needhours as NEEDHOURS, finishhours as FINISHHOURS, "
                              "effecthours as EFFECTHOURS from records_hours where usercode = ?1 order by subject",
        { session.usercode });
    reply(response, mainEnvelope("0", "成功", { rows }));
}

// Scores are "a,b,c" of half steps between 0.5 and 5, one per item.
bool validScores(const std::string& items, const std::string& scores)
{
    if (items.empty() || scores.empty())
        return false;
    std::size_t itemCount = 1, scoreCount = 1;
    for (char c : items)
        itemCount += c == ',';
    std::string current;
    for (std::size_t i = 0; i <= scores.size(); ++i) {
        if (i == scores.size() || scores[i] == ',') {
            char* end = nullptr;
            const double score = std::strtod(current.c_str(), &end);
            if (current.empty() || *end || score < 0.5 || score > 5 || static_cast<int>(score * 2) != score * 2)
                return false;
            current.clear();
            if (i < scores.size())
                ++scoreCount;
        } else {
            current += scores[i];
        }
    }
    return itemCount == scoreCount;
}

void saveSchoolEvaluation(StandInContext& context, const Fields& fields, httplib::Response& response)
{
    Session session;
    if (!learnerSession(context, fields, session, response))
        return;
    const std::string items = field(fields, "ITEMIDS");
    const std::string scores = field(fields, "SCORES");
    const std::string content = field(fields, "CONTENT");
    if (!validScores(items, scores) || content.size() > 400)
        return reply(response, mainEnvelope("1", "评价内容有误"));
    auto school = context.query("select s.school_id from school s join account a on a.epname = s.name where a.usercode = ?1", { session.usercode });
    const std::string schoolId = school.empty() ? "JX5101001" : value(school.front(), "school_id");
    bool already = false;
    const bool saved = context.transaction([&] {
        already = !context.query("select 1 from school_evaluation where usercode = ?1", { session.usercode }).empty();
        return !already && context.execute("insert into school_evaluation values (?1, ?2, ?3, ?4)", { session.usercode, schoolId, scores, today() })
            && context.execute("insert or replace into records_school_comment values (?1, ?2, ?3, ?4)", { session.usercode, items, scores, content });
    });
    if (already)
        return reply(response, mainEnvelope("1", "驾校已评价"));
    reply(response, saved ? mainEnvelope("0", "评价成功") : mainEnvelope("1", kWriteFailed));
}

void coachList(StandInContext& context, const Fields& fields, httplib::Response& response)
{
    Session session;
    if (!learnerSession(context, fields, session, response))
        return;
    auto rows = context.query("select c.coach_id as EMPLOYEEID, c.name as COACHNAME, l.subject as SUBJECT, c.car_type as CARTYPE, "
                              "case when e.coach_id is null then '0' else '1' end as STATE, "
                              "case when e.coach_id is null then '未评价' else '已评价' end as STATENAME "
                              "from records_coach_link l join coach c on c.coach_id = l.coach_id "
                              "left join records_coach_evaluation e on e.coach_id = l.coach_id and e.usercode = l.usercode "
                              "where l.usercode = ?1 order by c.coach_id",
        { session.usercode });
    reply(response, mainEnvelope("0", "成功", { rows }));
}

void coachItems(StandInContext& context, const Fields& fields, httplib::Response& response)
{
    Session session;
    if (!learnerSession(context, fields, session, response))
        return;
    reply(response, mainEnvelope("0", "成功", { context.query("select item_id as ITEMID, item_name as ITEMNAME from records_coach_item order by item_id", {}) }));
}

void saveCoachEvaluation(StandInContext& context, const Fields& fields, httplib::Response& response)
{
    Session session;
    if (!learnerSession(context, fields, session, response))
        return;
    const std::string coach = field(fields, "EMPLOYEEID");
    const std::string items = field(fields, "ITEMIDS");
    const std::string scores = field(fields, "SCORES");
    const std::string content = field(fields, "CONTENT");
    if (!validScores(items, scores) || content.size() > 400)
        return reply(response, mainEnvelope("1", "评价内容有误"));
    if (context.query("select 1 from records_coach_link where usercode = ?1 and coach_id = ?2", { session.usercode, coach }).empty())
        return reply(response, mainEnvelope("1", "没有该教练的培训记录"));
    bool already = false;
    const bool saved = context.transaction([&] {
        already = !context.query("select 1 from records_coach_evaluation where usercode = ?1 and coach_id = ?2", { session.usercode, coach }).empty();
        return !already
            && context.execute("insert into records_coach_evaluation values (?1, ?2, ?3, ?4, ?5, ?6)", { session.usercode, coach, items, scores, content, today() });
    });
    if (already)
        return reply(response, mainEnvelope("1", "该教练已评价"));
    reply(response, saved ? mainEnvelope("0", "评价成功") : mainEnvelope("1", kWriteFailed));
}

void addMail(StandInContext& context, const Fields& fields, httplib::Response& response)
{
    Session session;
    if (!learnerSession(context, fields, session, response))
        return;
    const std::string title = field(fields, "TITLE");
    const std::string content = field(fields, "CONTENT");
    if (title.empty() || content.empty())
        return reply(response, mainEnvelope("1", "标题和内容不能为空"));
    if (!context.execute("insert into records_mail values (?1, ?2, ?3, ?4)", { session.usercode, title, content, today() }))
        return reply(response, mainEnvelope("1", kWriteFailed));
    reply(response, mainEnvelope("0", "发送成功"));
}

void notices(StandInContext& context, const Fields& fields, httplib::Response& response)
{
    Session session;
    if (!learnerSession(context, fields, session, response))
        return;
    auto rows = context.query("select n.nid as NID, n.title as TITLE, n.predate as PREDATE, n.content as CONTENT from notice n "
                              "join account a on a.depcode = n.depcode where a.usercode = ?1 and a.roletype = ?2 order by n.predate desc",
        { session.usercode, session.roletype });
    reply(response, mainEnvelope("0", "成功", { rows }));
}

// The appeal service: one action, the operation in QUERY_TYPE inside `param`.
void queryStudentHour(StandInContext& context, const Fields& fields, httplib::Response& response)
{
    auto param = ns::dictionaryValue(JSONCodecDeserializing::objectFromJSONString(NSString(field(fields, "param"))));
    if (!param)
        return reply(response, codeEnvelope("-1", "请求参数错误"));
    Session session;
    if (!context.liveSession(text(param, "TALKID"), session, true, response))
        return;
    const std::string type = text(param, "QUERY_TYPE");
    const std::string& user = session.usercode;
    if (type == "1") {
        auto days = context.query("select substr(recorddate, 1, 7) as MONTH, recorddate as RECORDDATE, sum(effecttime) as ALLEFFECTTIME "
                                  "from records_training where usercode = ?1 and (?2 = '' or subject = ?2) group by recorddate order by recorddate",
            { user, text(param, "SUBJECT") });
        auto months = NSMutableArray::array();
        std::shared_ptr<NSMutableDictionary> current;
        std::shared_ptr<NSMutableArray> info;
        for (const auto& day : days) {
            if (!current || ns::stringForKey(current, "MONTH").UTF8String() != value(day, "MONTH")) {
                current = NSMutableDictionary::dictionary();
                info = NSMutableArray::array();
                current->setObject(NSString(value(day, "MONTH")), NSString("MONTH"));
                current->setObject(info, NSString("INFO"));
                months->addObject(current);
            }
            auto item = NSMutableDictionary::dictionary();
            item->setObject(NSString(value(day, "RECORDDATE")), NSString("RECORDDATE"));
            item->setObject(NSNumber::numberWithLongLong(std::atoll(value(day, "ALLEFFECTTIME").c_str())), NSString("ALLEFFECTTIME"));
            info->addObject(item);
        }
        return reply(response, codeEnvelope("0", "成功", months));
    }
    if (type == "2") {
        auto rows = context.query("select recordid as RECORDID, subject as SUBJECT, recorddate as RECORDDATE, starttime as STARTTIME, "
                                  "endtime as ENDTIME, effecttime as EFFECTTIME, coachname as COACHNAME, carno as CARNO "
                                  "from records_training where usercode = ?1 and recorddate = ?2 order by starttime",
            { user, text(param, "RECORDDATE") });
        return reply(response, codeEnvelope("0", "成功", arrayOf(rows)));
    }
    if (type == "3") {
        auto rows = context.query("select p.phototime as PHOTOTIME, p.photo as PHOTOURL from records_photo p join records_training t "
                                  "on t.recordid = p.recordid where t.usercode = ?1 and p.recordid = ?2 order by p.ordinal",
            { user, text(param, "RECORDID") });
        for (auto& row : rows)
            for (auto& [key, field] : row)
                if (key == "PHOTOURL")
                    field = context.ownPicture(field, session);
        return reply(response, codeEnvelope("0", "成功", arrayOf(rows)));
    }
    if (type == "4") {
        auto rows = context.query("select a.appealid as APPEALID, a.recordid as RECORDID, t.recorddate as RECORDDATE, t.starttime as STARTTIME, "
                                  "t.endtime as ENDTIME, a.reason as REASON, a.state as STATE, "
                                  "case a.state when '0' then '处理中' when '1' then '已通过' else '未通过' end as STATENAME, "
                                  "a.appealdate as APPEALDATE, a.answer as ANSWER from records_appeal a join records_training t on t.recordid = a.recordid "
                                  "where a.usercode = ?1 order by a.appealid desc",
            { user });
        return reply(response, codeEnvelope("0", "成功", arrayOf(rows)));
    }
    const std::string record = text(param, "RECORDID");
    auto inProcess = [&] {
        return !context.query("select 1 from records_appeal where usercode = ?1 and recordid = ?2 and state = '0'", { user, record }).empty();
    };
    if (type == "5") {
        const std::string reason = text(param, "REASON");
        if (context.query("select 1 from records_training where usercode = ?1 and recordid = ?2", { user, record }).empty())
            return reply(response, codeEnvelope("1", "没有该学时记录"));
        if (reason.empty())
            return reply(response, codeEnvelope("1", "请填写申诉理由"));
        if (characterCount(reason) > kReasonLimit)
            return reply(response, codeEnvelope("1", "申诉理由不能超过200字"));
        // The check, the new id and the insert hold together, so that appeals sent at once
        // store one and never share an id.
        bool already = false;
        std::string id;
        const bool stored = context.transaction([&] {
            if ((already = inProcess()))
                return false;
            auto last = context.query("select max(1000, coalesce(max(cast(substr(appealid, 3) as integer)), 0)) + 1 as N from records_appeal", {});
            if (last.empty())
                return false;
            id = "SS" + value(last.front(), "N");
            return context.execute("insert into records_appeal values (?1, ?2, ?3, ?4, '0', ?5, null)", { id, user, record, reason, today() });
        });
        if (already)
            return reply(response, codeEnvelope("1", "该记录已在申诉处理中"));
        if (!stored)
            return reply(response, codeEnvelope("1", kWriteFailed));
        auto data = NSMutableDictionary::dictionary();
        data->setObject(NSString(id), NSString("APPEALID"));
        return reply(response, codeEnvelope("0", "申诉已提交", data));
    }
    if (type == "6") {
        auto data = NSMutableDictionary::dictionary();
        data->setObject(NSString(inProcess() ? "1" : "0"), NSString("INPROCESS"));
        return reply(response, codeEnvelope("0", "成功", data));
    }
    if (type == "7") {
        auto rows = context.query("select appeal_open from records_hours where usercode = ?1 and subject = ?2 and hourtype = ?3",
            { user, text(param, "SUBJECT"), text(param, "HOURTYPE") });
        auto data = NSMutableDictionary::dictionary();
        data->setObject(NSString(!rows.empty() && value(rows.front(), "appeal_open") == "1" ? "1" : "0"), NSString("ISOPEN"));
        return reply(response, codeEnvelope("0", "成功", data));
    }
    reply(response, codeEnvelope("1", "未知的查询类型"));
}

} // namespace

void addRecordsRoutes(Routes& routes)
{
    routes.mainMethods["checkHourMethod"] = checkHours;
    routes.mainMethods["saveEnEvaluateMethod"] = saveSchoolEvaluation;
    routes.mainMethods["emEvaluateMethod"] = coachList;
    routes.mainMethods["chEvaluateMethod"] = coachItems;
    routes.mainMethods["saveEvaluateMethod"] = saveCoachEvaluation;
    routes.mainMethods["addMailMethod"] = addMail;
    routes.mainMethods["checkNoticeMethod"] = notices;
    routes.appActions["queryStudentHour"] = queryStudentHour;
}

} // namespace standin
