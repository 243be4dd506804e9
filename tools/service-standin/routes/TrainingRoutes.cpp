// Video learning (list, play data, saved time under the daily cap, and the course films with range
// requests), booking practice slots with the assigned coach, the online-learning goods with their
// orders and signed payment text, and the payment provider's gateway with its web cashier.
#include "tools/service-standin/ServicesTime.h"
#include "tools/service-standin/StandInContext.h"
#include "tools/service-standin/routes/GatewayEnvelope.h"

#include "library/json/JSONCodecDeserializing.h"
#include "library/json/JSONCodecSerializing.h"
#include "platform/foundation/NSArray.h"
#include "platform/foundation/NSDictionary.h"
#include "platform/foundation/NSNumber.h"
#include "platform/foundation/TypedValues.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

namespace standin {

namespace {

constexpr long long kDailyCap = 14400;
constexpr long long kSaveInterval = 10;
constexpr const char* kGoodsPath = "SYSBL/BRENLOW/DTTM/PUBL/ZXZF/";

std::string value(const Row& row, const char* name)
{
    for (const auto& [key, text] : row)
        if (key == name)
            return text;
    return {};
}

long long number(const std::string& text)
{
    return std::atoll(text.c_str());
}

std::string today() { return servicesTime("%Y-%m-%d"); }
std::string nowMinute() { return servicesTime("%Y-%m-%d %H:%M"); }

std::shared_ptr<NSDictionary> paramOf(const Fields& fields)
{
    return ns::dictionaryValue(JSONCodecDeserializing::objectFromJSONString(NSString(field(fields, "param"))));
}

std::string text(const std::shared_ptr<NSDictionary>& param, const char* key)
{
    return ns::stringForKey(param, key).UTF8String();
}

// The video service's session check on the TALKID inside `param`.
bool videoSession(StandInContext& context, const std::shared_ptr<NSDictionary>& param, Session& session, httplib::Response& response)
{
    if (!param) {
        reply(response, codeEnvelope("-1", "请求参数错误"));
        return false;
    }
    return context.liveSession(text(param, "TALKID"), session, true, response);
}

std::string filmAddress(StandInContext& context, const std::string& file)
{
    return context.mainAddress() + "Tessalane/video/" + file;
}

std::shared_ptr<NSMutableDictionary> videoRecord(StandInContext& context, const Row& row)
{
    auto record = NSMutableDictionary::dictionary();
    record->setObject(NSString(value(row, "videoid")), "videoid");
    record->setObject(NSString(value(row, "teachid")), "teachid");
    record->setObject(NSString(value(row, "name")), "name");
    record->setObject(NSString(filmAddress(context, value(row, "file"))), "url");
    record->setObject(NSNumber::numberWithLongLong(number(value(row, "learned"))), "learnedTime");
    record->setObject(NSNumber::numberWithLongLong(number(value(row, "video_time"))), "videoTime");
    return record;
}

const char* kVideoColumns = "select v.videoid, v.teachid, v.name, v.file, v.video_time, coalesce(p.learned, 0) as learned "
                            "from training_video v left join training_progress p on p.videoid = v.videoid and p.usercode = ?1 ";

long long todaySeconds(StandInContext& context, const std::string& usercode)
{
    auto rows = context.query("select seconds from training_day where usercode = ?1 and day = ?2", { usercode, today() });
    return rows.empty() ? 0 : number(value(rows.front(), "seconds"));
}

void addTotals(StandInContext& context, const std::string& usercode, const std::shared_ptr<NSMutableDictionary>& data)
{
    auto account = context.query("select sub1time, sub2time, sub3time from video_account where usercode = ?1", { usercode });
    for (const char* subject : { "sub1time", "sub2time", "sub3time" }) {
        std::string key = subject;
        key[3] = static_cast<char>(std::toupper(key[3]));
        data->setObject(NSNumber::numberWithLongLong(account.empty() ? 0 : number(value(account.front(), subject))), NSString(key));
    }
    data->setObject(NSNumber::numberWithLongLong(std::min(todaySeconds(context, usercode), kDailyCap)), "todayTime");
}

void videoList(StandInContext& context, const Fields& fields, httplib::Response& response)
{
    auto param = paramOf(fields);
    Session session;
    if (!videoSession(context, param, session, response))
        return;
    const long long rows = std::clamp<long long>(ns::intForKey(param, "rows"), 1, 500);
    const long long page = std::max<long long>(ns::intForKey(param, "page"), 1);
    auto found = context.query(std::string(kVideoColumns) + "where v.subject = ?2 order by v.ordinal limit ?3 offset ?4",
        { session.usercode, text(param, "selSubject"), std::to_string(rows), std::to_string((page - 1) * rows) });
    auto data = NSMutableArray::array();
    for (const auto& row : found)
        data->addObject(videoRecord(context, row));
    reply(response, codeEnvelope("0", "成功", data));
}

void playData(StandInContext& context, const Fields& fields, httplib::Response& response)
{
    auto param = paramOf(fields);
    Session session;
    if (!videoSession(context, param, session, response))
        return;
    const std::string videoid = text(param, "videoid");
    auto video = context.query("select subject, teachid from training_video where videoid = ?1", { videoid });
    if (video.empty())
        return reply(response, codeEnvelope("1", "该视频不存在"));
    auto data = NSMutableDictionary::dictionary();
    data->setObject(NSString("R" + session.usercode + "-" + videoid), "recordid");
    data->setObject(NSString("0"), "subIsComplete");
    data->setObject(NSNumber::numberWithLongLong(kSaveInterval), "preIntervalTime");
    addTotals(context, session.usercode, data);
    auto keyPoints = NSMutableArray::array();
    for (const auto& row : context.query("select content from training_keypoint where subject = ?1 order by ordinal", { value(video.front(), "subject") })) {
        auto point = NSMutableDictionary::dictionary();
        point->setObject(NSString(value(row, "content")), "content");
        keyPoints->addObject(point);
    }
    data->setObject(keyPoints, "keyPoint");
    auto related = NSMutableArray::array();
    for (const auto& row : context.query(std::string(kVideoColumns) + "where v.teachid = ?2 order by v.ordinal", { session.usercode, value(video.front(), "teachid") }))
        related->addObject(videoRecord(context, row));
    data->setObject(related, "relateVideo");
    reply(response, codeEnvelope("0", "成功", data));
}

// Credits what the learner watched, never past the film's length nor past four hours a day, from
// the stand-in's own records: what it reads and what it adds are one transaction, so two saves at
// once cannot both credit the same seconds.
void saveTime(StandInContext& context, const Fields& fields, httplib::Response& response)
{
    auto param = paramOf(fields);
    Session session;
    if (!videoSession(context, param, session, response))
        return;
    const std::string videoid = text(param, "videoid");
    const long long interval = ns::integerForKey(param, "intervalTime");
    const std::string subject = std::to_string(std::clamp(ns::intForKey(param, "selSubject"), 1, 3));
    std::string refusal;
    long long learnedNow = 0;
    const bool saved = context.transaction([&] {
        auto fault = context.query("select remaining from training_save_fault where usercode = ?1", { session.usercode });
        if (!fault.empty() && number(value(fault.front(), "remaining")) > 0) {
            refusal = "保存学时失败，请稍后再试";
            // The refusal is what is asked for; its count goes down with it.
            return context.execute("update training_save_fault set remaining = remaining - 1 where usercode = ?1", { session.usercode });
        }
        auto video = context.query(std::string(kVideoColumns) + "where v.videoid = ?2", { session.usercode, videoid });
        if (video.empty() || interval < 1) {
            refusal = "学时参数错误";
            return false;
        }
        const long long length = number(value(video.front(), "video_time"));
        const long long learned = number(value(video.front(), "learned"));
        const long long watchedToday = todaySeconds(context, session.usercode);
        const long long credit = std::max<long long>(0, std::min({ interval, length - learned, kDailyCap - watchedToday }));
        learnedNow = learned + credit;
        return context.execute("insert into training_progress values (?1, ?2, ?3) on conflict(usercode, videoid) do update set learned = ?3",
                   { session.usercode, videoid, std::to_string(learnedNow) })
            && context.execute("insert into training_day values (?1, ?2, ?3) on conflict(usercode, day) do update set seconds = ?3",
                { session.usercode, today(), std::to_string(watchedToday + credit) })
            && context.execute("update video_account set sub" + subject + "time = sub" + subject + "time + ?2 where usercode = ?1",
                { session.usercode, std::to_string(credit) });
    });
    if (!refusal.empty())
        return reply(response, codeEnvelope("1", refusal));
    if (!saved)
        return reply(response, codeEnvelope("1", kWriteFailed));
    auto data = NSMutableDictionary::dictionary();
    addTotals(context, session.usercode, data);
    data->setObject(NSNumber::numberWithLongLong(learnedNow), "learnedTime");
    reply(response, codeEnvelope("0", "成功", data));
}

// Tests make the next saves fail with this ({"TALKID": ..., "count": n}).
void failSaves(StandInContext& context, const Fields& fields, httplib::Response& response)
{
    auto param = paramOf(fields);
    Session session;
    if (!videoSession(context, param, session, response))
        return;
    context.execute("insert into training_save_fault values (?1, ?2) on conflict(usercode) do update set remaining = ?2",
        { session.usercode, std::to_string(ns::intForKey(param, "count")) });
    reply(response, codeEnvelope("0", "成功"));
}

void serveFilm(StandInContext&, const httplib::Request& request, httplib::Response& response)
{
    std::string name = request.path.substr(request.path.rfind('/') + 1);
    if (name.empty() || name.find("..") != std::string::npos) {
        response.status = 404;
        return;
    }
    std::ifstream file(std::string(CORVANE_STANDIN_FILMS) + "/" + name, std::ios::binary);
    if (!file) {
        response.status = 404;
        return;
    }
    std::stringstream read;
    read << file.rdbuf();
    // With its length, so a player may ask for parts of it (206), as it does to find the film's end.
    response.set_content(read.str(), "video/ogg");
}

// MARK: Booking

bool passed(const std::string& date, const std::string& starts)
{
    return date + " " + starts < nowMinute();
}

void bookingOverview(StandInContext& context, const Fields& fields, httplib::Response& response)
{
    Session session;
    if (!context.liveSession(field(fields, "TALKID"), session, false, response))
        return;
    auto assignment = context.query("select coalesce(coach2, '') as TSEMPLOYEEID2, coalesce(coach3, '') as TSEMPLOYEEID3 "
                                    "from training_assignment where usercode = ?1",
        { session.usercode });
    auto bookings = context.query("select c.name as COACHNAME, s.aboutdate as ABOUTDATE, s.datetype as DATETYPE, s.abouttime as ABOUTTIME, "
                                  "s.aboutid as ABOUTID, b.aboutinfoid as ABOUTINFOID, s.starts "
                                  "from training_booking b join training_slot s on s.aboutid = b.aboutid join coach c on c.coach_id = s.coach_id "
                                  "where b.usercode = ?1 and b.state = 'booked' order by s.aboutdate, s.starts",
        { session.usercode });
    for (auto& row : bookings) {
        const bool gone = passed(value(row, "ABOUTDATE"), value(row, "starts"));
        row.erase(std::remove_if(row.begin(), row.end(), [](const auto& column) { return column.first == "starts"; }), row.end());
        row.emplace_back("ISPASSDATE", gone ? "1" : "0");
    }
    reply(response, mainEnvelope("0", "成功", { assignment, bookings }));
}

void cancelBooking(StandInContext& context, const Fields& fields, httplib::Response& response)
{
    Session session;
    if (!context.liveSession(field(fields, "TALKID"), session, false, response))
        return;
    const std::string aboutid = field(fields, "ABOUTID");
    const std::string infoid = field(fields, "ABOUTINFOID");
    bool found = false;
    const bool saved = context.transaction([&] {
        found = !context.query("select aboutinfoid from training_booking where aboutinfoid = ?1 and aboutid = ?2 and usercode = ?3 and state = 'booked'",
                                  { infoid, aboutid, session.usercode })
                     .empty();
        return found && context.execute("update training_booking set state = 'cancelled' where aboutinfoid = ?1", { infoid })
            && context.execute("update training_slot set aboutnum = aboutnum + 1 where aboutid = ?1", { aboutid });
    });
    if (!found)
        return reply(response, mainEnvelope("1", "未找到该约车信息"));
    reply(response, saved ? mainEnvelope("0", "取消约车成功") : mainEnvelope("1", kWriteFailed));
}

std::string assignedCoach(StandInContext& context, const std::string& usercode, const std::string& subject)
{
    auto rows = context.query("select coalesce(case ?2 when '3' then coach3 else coach2 end, '') as coach from training_assignment where usercode = ?1",
        { usercode, subject });
    return rows.empty() ? std::string() : value(rows.front(), "coach");
}

void schedule(StandInContext& context, const Fields& fields, httplib::Response& response)
{
    Session session;
    if (!context.liveSession(field(fields, "TALKID"), session, false, response))
        return;
    const std::string subject = field(fields, "SUBJECT");
    const std::string coach = assignedCoach(context, session.usercode, subject);
    if (coach.empty())
        return reply(response, mainEnvelope("1", "还未分配教练"));
    auto coachRow = context.query("select c.name as NAME, ?2 as SUBJECT, coalesce(p.photo, '') as IMGURL, c.coach_id as TSEMPLOYEEID "
                                  "from coach c left join training_coach_profile p on p.coach_id = c.coach_id where c.coach_id = ?1",
        { coach, subject });
    auto slots = context.query("select aboutid as ABOUTID, datetype as DATETYPE, abouttime as ABOUTTIME, aboutnum as ABOUTNUM, "
                               "branum as BRANUM, aboutdate, starts from training_slot where coach_id = ?1 and aboutdate = ?2 order by starts",
        { coach, field(fields, "ABOUTDATE") });
    for (auto& row : slots) {
        const bool gone = passed(value(row, "aboutdate"), value(row, "starts"));
        row.erase(std::remove_if(row.begin(), row.end(), [](const auto& column) { return column.first == "aboutdate" || column.first == "starts"; }), row.end());
        row.emplace_back("ISPASSDATE", gone ? "1" : "0");
    }
    auto booked = context.query("select aboutid as ABOUTID from training_booking where usercode = ?1 and state = 'booked'", { session.usercode });
    for (auto& row : coachRow)
        for (auto& column : row)
            column.second = context.localised(column.second);
    reply(response, mainEnvelope("0", "成功", { coachRow, slots, booked }));
}

std::vector<std::string> split(const std::string& text)
{
    std::vector<std::string> parts;
    std::stringstream stream(text);
    std::string part;
    while (std::getline(stream, part, ','))
        if (!part.empty())
            parts.push_back(part);
    return parts;
}

// Books every slot or none: each must belong to the coach and the day, lie ahead, have a place
// left and not be booked already, nor named twice; the times must name the slots in the order of
// their ids. The checks and the bookings are one transaction, so two learners cannot take one last
// place.
void book(StandInContext& context, const Fields& fields, httplib::Response& response)
{
    Session session;
    if (!context.liveSession(field(fields, "TALKID"), session, false, response))
        return;
    const auto ids = split(field(fields, "ABOUTIDS"));
    const auto times = split(field(fields, "ABOUTTIME"));
    const std::string coach = field(fields, "TSEMPLOYEEID");
    if (ids.empty() || coach.empty())
        return reply(response, mainEnvelope("1", "请选择排班"));
    if (times.size() != ids.size())
        return reply(response, mainEnvelope("1", "预约时段与时间不一致"));
    const char* refusal = nullptr;
    const auto refusalOf = [&](const std::string& id, const std::string& time) -> const char* {
        auto slot = context.query("select abouttime, aboutdate, starts, aboutnum from training_slot where aboutid = ?1 and coach_id = ?2", { id, coach });
        if (slot.empty() || value(slot.front(), "aboutdate") != field(fields, "ABOUTDATE"))
            return "排班不存在";
        if (value(slot.front(), "abouttime") != time)
            return "预约时段与时间不一致";
        if (passed(value(slot.front(), "aboutdate"), value(slot.front(), "starts")))
            return "排班已过期，不能预约";
        if (number(value(slot.front(), "aboutnum")) < 1)
            return "该时段名额已满";
        if (!context.query("select 1 from training_booking where usercode = ?1 and aboutid = ?2 and state = 'booked'", { session.usercode, id }).empty())
            return "已预约该时段";
        return nullptr;
    };
    // Each slot is checked after the ones before it are written, so that a slot named twice finds
    // itself booked and its places are counted as they go.
    const bool saved = context.transaction([&] {
        for (std::size_t i = 0; i < ids.size(); ++i) {
            refusal = refusalOf(ids[i], times[i]);
            if (refusal
                || !context.execute("insert into training_booking (usercode, aboutid, subject, perdritype, state) values (?1, ?2, ?3, ?4, 'booked')",
                    { session.usercode, ids[i], field(fields, "SUBJECT"), field(fields, "PERDRITYPE") })
                || !context.execute("update training_slot set aboutnum = aboutnum - 1 where aboutid = ?1", { ids[i] }))
                return false;
        }
        return true;
    });
    if (refusal)
        return reply(response, mainEnvelope("1", refusal));
    reply(response, saved ? mainEnvelope("0", "约车成功") : mainEnvelope("1", kWriteFailed));
}

// MARK: Goods, orders and the signed payment text

void queryGoods(StandInContext& context, const Fields& fields, httplib::Response& response)
{
    auto rows = context.query("select goods_id as GOODS_ID, name as GOODS_NAME, type as GOODS_TYPE, depcode as DEPCODE, price as GOODS_PRICE, "
                              "num as GOODS_NUM, detail as GOODS_DETAIL, image as GOODS_IMAGE from training_goods where goods_id = ?1",
        { field(fields, "GOODS_ID") });
    for (auto& row : rows)
        for (auto& column : row)
            column.second = context.localised(column.second);
    reply(response, mainEnvelope(rows.empty() ? "1" : "0", rows.empty() ? "商品不存在" : "成功", { rows }));
}

void orderNumber(StandInContext& context, const Fields& fields, httplib::Response& response)
{
    auto goods = context.query("select price from training_goods where goods_id = ?1", { field(fields, "GOODS_ID") });
    if (goods.empty())
        return reply(response, mainEnvelope("1", "商品不存在"));
    static std::atomic<int> serial { 0 };
    const std::string orderId = "DD" + servicesTime("%Y%m%d%H%M%S") + std::to_string(1000 + (serial++ % 9000));
    const std::string created = servicesTime("%Y-%m-%d %H:%M:%S");
    if (!context.execute("insert into training_order values (?1, ?2, ?3, ?4, ?5, 'unpaid')",
            { orderId, field(fields, "STU_ID"), field(fields, "GOODS_ID"), value(goods.front(), "price"), created }))
        return reply(response, mainEnvelope("1", kWriteFailed));
    reply(response, mainEnvelope("0", "成功", { { Row { { "Order_Id", orderId }, { "Create_Date", created } } } }));
}

std::string percentEncoded(const std::string& text)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if (std::isalnum(c) || c == '-' || c == '_' || c == '.')
            out += static_cast<char>(c);
        else {
            out += '%';
            out += digits[c >> 4];
            out += digits[c & 15];
        }
    }
    return out;
}

// The signed order text goes out as plain JSON: the client reads it as it came, and the signature's
// "+", "/" and "=" must reach the gateway unchanged.
void paymentInfo(StandInContext& context, const Fields& fields, httplib::Response& response)
{
    auto order = context.query("select o.order_id, o.amount, o.state, g.goods_id, g.name from training_order o join training_goods g "
                               "on g.goods_id = o.goods_id where o.order_id = ?1",
        { field(fields, "ORDER_ID") });
    std::string json;
    if (order.empty() || value(order.front(), "state") != "unpaid") {
        json = mainEnvelope("1", order.empty() ? "订单不存在" : "订单已支付");
    } else {
        const std::string text = "order_id=" + value(order.front(), "order_id") + "&goods_id=" + value(order.front(), "goods_id")
            + "&subject=" + percentEncoded(value(order.front(), "name")) + "&amount_fen=" + value(order.front(), "amount")
            + "&notify=" + percentEncoded(context.paymentAddress() + "gateway/notify");
        json = mainEnvelope("0", "成功", { { Row { { "PAY_INFO", text + "&sign=" + signOrderText(text) } } } });
    }
    response.set_content(json, "application/json;charset=UTF-8");
}

// MARK: The provider's gateway and web cashier

std::string orderField(const std::string& text, const std::string& name)
{
    const std::string key = name + "=";
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('&', at);
        if (end == std::string::npos)
            end = text.size();
        if (text.compare(at, key.size(), key) == 0)
            return text.substr(at + key.size(), end - at - key.size());
        at = end + 1;
    }
    return {};
}

std::string percentDecoded(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 1]))
            && std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
            out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

void gatewayReply(httplib::Response& response, const char* code, const std::string& message, const std::string& cashier = {})
{
    auto reply = NSMutableDictionary::dictionary();
    reply->setObject(NSString(code), "code");
    reply->setObject(NSString(message), "message");
    if (!cashier.empty())
        reply->setObject(NSString(cashier), "cashier");
    response.set_content(JSONCodecSerializing::JSONString(std::static_pointer_cast<NSDictionary>(reply)).UTF8String(), "application/json;charset=UTF-8");
}

void gatewayTakeOrder(StandInContext& context, const httplib::Request& request, httplib::Response& response)
{
    if (request.method != "POST" || request.path != "/gateway/cashier")
        return gatewayReply(response, "4000", "不支持的请求");
    auto body = ns::dictionaryValue(JSONCodecDeserializing::objectFromJSONString(NSString(request.body)));
    const auto opened = openGatewayEnvelope(text(body, "envelope"));
    if (!opened)
        return gatewayReply(response, "4000", "支付请求无法解密");
    if (!orderTextIsSigned(*opened))
        return gatewayReply(response, "4000", "订单签名无效");
    const std::string scheme = text(body, "scheme");
    if (scheme.empty())
        return gatewayReply(response, "4000", "缺少商户回调地址");
    const char* refusal = nullptr;
    std::stringstream token;
    const bool kept = context.transaction([&] {
        // Drawn with the database to itself, so that two requests never share the generator at once.
        static std::mt19937_64 generator { std::random_device {}() };
        token << std::hex << generator() << generator();
        auto order = context.query("select state from training_order where order_id = ?1", { orderField(*opened, "order_id") });
        if (order.empty() || value(order.front(), "state") != "unpaid") {
            refusal = order.empty() ? "订单不存在" : "订单已支付";
            return false;
        }
        return context.execute("create table if not exists training_cashier (token text primary key, order_text text, scheme text)", {})
            && context.execute("insert into training_cashier values (?1, ?2, ?3)", { token.str(), *opened, scheme });
    });
    if (refusal)
        return gatewayReply(response, "4000", refusal);
    if (!kept)
        return gatewayReply(response, "4000", kWriteFailed);
    gatewayReply(response, "0", "成功", context.paymentAddress() + "gateway/cashier/" + token.str());
}

std::string resultLink(const std::string& scheme, const char* status, const std::string& memo)
{
    return scheme + "://payresult?resultStatus=" + status + "&memo=" + percentEncoded(memo);
}

// The page that ends a paid order is titled "支付成功", which the client's cashier reads.
std::string page(const std::string& body, const std::string& title = "收银台")
{
    return "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><meta name=\"viewport\" content=\"width=device-width\">"
           "<title>" + title + "</title><style>"
           "body{margin:0;font-family:sans-serif;background:#f4f4f4;color:#333}"
           ".sum{background:#fff;padding:16px 15px;height:88px}"
           ".goods{font-size:15px;line-height:20px;height:40px;overflow:hidden}"
           ".amount{font-size:28px;line-height:40px;color:#e64340}"
           ".note{font-size:13px;color:#888;padding:0 15px;line-height:40px;height:40px}"
           "a.pay{display:block;margin:0 15px;height:44px;line-height:44px;background:#008cd6;color:#fff;text-align:center;"
           "font-size:18px;text-decoration:none}"
           "a.cancel{display:block;margin:16px 15px 0 15px;height:44px;line-height:44px;background:#fff;color:#333;"
           "text-align:center;font-size:16px;text-decoration:none;border:1px solid #ccc}"
           "</style></head><body>"
        + body + "</body></html>";
}

std::string yuan(long long fen)
{
    return "￥" + std::to_string(fen / 100) + "." + (fen % 100 < 10 ? "0" : "") + std::to_string(fen % 100);
}

// Where a cashier's order stands: its account may have bought the service through another order
// since it opened, in which case it takes no payment.
enum class OrderStanding { Missing, Unpaid, Paid, Owned };

OrderStanding standingOf(StandInContext& context, const std::string& orderId)
{
    auto order = context.query("select state, usercode, goods_id from training_order where order_id = ?1", { orderId });
    if (order.empty())
        return OrderStanding::Missing;
    if (value(order.front(), "state") != "unpaid")
        return OrderStanding::Paid;
    const bool owned = !context.query("select 1 from training_order where usercode = ?1 and goods_id = ?2 and state = 'paid' "
                                      "union all select 1 from video_account where usercode = ?1 and distance_education = '1'",
                                  { value(order.front(), "usercode"), value(order.front(), "goods_id") })
                            .empty();
    return owned ? OrderStanding::Owned : OrderStanding::Unpaid;
}

void cashierPage(StandInContext& context, const httplib::Request& request, httplib::Response& response)
{
    const std::string rest = request.path.substr(std::string("/gateway/cashier/").size());
    const bool paying = rest.size() > 4 && rest.compare(rest.size() - 4, 4, "/pay") == 0;
    const std::string token = paying ? rest.substr(0, rest.size() - 4) : rest;
    auto cashier = context.query("select order_text, scheme from training_cashier where token = ?1", { token });
    if (cashier.empty()) {
        response.status = 404;
        response.set_content(page("<div class=\"sum\"><div class=\"goods\">收银台已失效，请返回商户重新下单。</div></div>"), "text/html;charset=UTF-8");
        return;
    }
    const std::string orderText = value(cashier.front(), "order_text");
    const std::string scheme = value(cashier.front(), "scheme");
    const std::string orderId = orderField(orderText, "order_id");
    const long long fen = number(orderField(orderText, "amount_fen"));
    // The page that ends a payment, whose one link hands its result back to the client.
    const auto resultPage = [&](const std::string& heading, const char* status, const std::string& memo) {
        response.set_content(page("<div class=\"sum\"><div class=\"goods\">" + heading + "</div><div class=\"amount\">" + yuan(fen)
                                 + "</div></div><div class=\"note\">订单号 " + orderId + "</div><a class=\"pay\" href=\""
                                 + resultLink(scheme, status, memo) + "\">返回商户</a>",
                                 memo),
            "text/html;charset=UTF-8");
    };
    // Paid whole or not at all: the order and the account's access together. The cashier stays,
    // so that its page says the order is paid when it is opened again.
    OrderStanding standing = OrderStanding::Missing;
    const bool paid = paying && context.transaction([&] {
        standing = standingOf(context, orderId);
        return standing == OrderStanding::Unpaid
            && context.execute("update training_order set state = 'paid' where order_id = ?1", { orderId })
            && context.execute("update video_account set distance_education = '1' where usercode = "
                               "(select usercode from training_order where order_id = ?1)",
                { orderId });
    });
    if (!paying)
        standing = standingOf(context, orderId);
    if (standing == OrderStanding::Paid) {
        response.status = 409;
        resultPage("该订单已支付，请勿重复支付", "4000", "订单已支付");
        return;
    }
    if (standing == OrderStanding::Owned) {
        response.status = 409;
        resultPage("您已购买该服务，无需重复支付", "4000", "已购买该服务");
        return;
    }
    if (paying && !paid) {
        response.status = 503;
        response.set_content(page("<div class=\"sum\"><div class=\"goods\">支付未完成，请稍后重试</div><div class=\"amount\">" + yuan(fen)
                                 + "</div></div><div class=\"note\">订单号 " + orderId + "</div><a class=\"pay\" href=\"/gateway/cashier/" + token
                                 + "/pay\">重新支付</a><a class=\"cancel\" href=\"" + resultLink(scheme, "6001", "用户中途取消") + "\">取消支付</a>"),
            "text/html;charset=UTF-8");
        return;
    }
    if (paying) {
        resultPage("支付成功", "9000", "支付成功");
        return;
    }
    response.set_content(page("<div class=\"sum\"><div class=\"goods\">" + percentDecoded(orderField(orderText, "subject"))
                             + "</div><div class=\"amount\">" + yuan(fen) + "</div></div><div class=\"note\">订单号 " + orderId
                             + "</div><a class=\"pay\" href=\"/gateway/cashier/" + token + "/pay\">确认支付</a><a class=\"cancel\" href=\""
                             + resultLink(scheme, "6001", "用户中途取消") + "\">取消支付</a>"),
        "text/html;charset=UTF-8");
}

} // namespace

void addTrainingRoutes(Routes& routes)
{
    routes.appActions["initVideoList"] = videoList;
    routes.appActions["initPlay"] = playData;
    routes.appActions["saveTime"] = saveTime;
    routes.appActions["standin/failSaves"] = failSaves;
    routes.mainGets.emplace_back("/Tessalane/video/", serveFilm);

    routes.mainMethods["checkAboutCarMethod"] = bookingOverview;
    routes.mainMethods["updateSchedueMethod"] = cancelBooking;
    routes.mainMethods["checkSchedueMethod"] = schedule;
    routes.mainMethods["saveSchedueMethod"] = book;

    // The client's built-in payment base already ends in the goods path and the actions repeat it:
    // both forms are served.
    for (const std::string& prefix : { std::string(kGoodsPath), std::string(kGoodsPath) + kGoodsPath }) {
        routes.paymentActions[prefix + "QUERYGOODSBYID"] = queryGoods;
        routes.paymentActions[prefix + "GETORDERNUMAPP"] = orderNumber;
        routes.paymentActions[prefix + "SAVEPAYMENTINFO"] = paymentInfo;
    }
    routes.paymentPosts.emplace_back("/gateway/cashier", gatewayTakeOrder);
    routes.paymentGets.emplace_back("/gateway/cashier/", cashierPage);
}

} // namespace standin
