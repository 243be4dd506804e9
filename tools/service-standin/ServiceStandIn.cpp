#include "tools/service-standin/ServiceStandIn.h"
#include "tools/service-standin/ConnectionWatch.h"
#include "tools/service-standin/FailedLoginLimit.h"
#include "tools/service-standin/StandInContext.h"

#include "library/json/JSONCodecDeserializing.h"
#include "library/json/JSONCodecSerializing.h"
#include "platform/foundation/TypedValues.h"

#include <httplib.h>
#include <sqlite3.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <iomanip>
#include <random>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

namespace standin {

extern const char* const kSeedSQL;
extern const char* const kSampleDaysSQL;

namespace {

constexpr const char* kLicenseKey = "A7C19D04E2B85F63C0D9174BE6A2F58D";
constexpr const char* kAppId = "TSAPP";
constexpr const char* kMainPrefix = "/Tessalane/resource/";
constexpr const char* kVideoPrefix = "/Tessalane/app/";
constexpr const char* kPaymentPrefix = "/PayMent/resource/";
constexpr const char* kSessionCookie = "TSSESSION";
constexpr const char* kPicturesPath = "/Tessalane/images/";
constexpr const char* kPhotosPath = "/Tessalane/photos/";
constexpr std::size_t kKeptRequests = 2000;
// The database's user_version once it is seeded whole.
constexpr int kSeedMark = 1;
// The log is bounded in bytes too: a body is kept up to this much, and the log as a whole.
constexpr std::size_t kLoggedBodyBytes = 16 * 1024;
constexpr std::size_t kKeptRequestBytes = 16 * 1024 * 1024;
constexpr std::size_t kWorkers = 32;
constexpr std::size_t kMostWorkers = 256;
constexpr int kListenQueue = 512;
// Wrong passwords allowed for one account name before its logins are refused, until the window
// has passed without another.
constexpr int kFailedLoginLimit = 10;
constexpr std::chrono::seconds kFailedLoginWindow { 60 };

std::string newSessionId()
{
    static std::mutex mutex;
    static std::mt19937_64 generator { std::random_device {}() };
    std::lock_guard lock(mutex);
    std::ostringstream text;
    text << std::hex << std::uppercase << std::setfill('0') << std::setw(16) << generator() << std::setw(16) << generator();
    return text.str();
}

std::size_t loggedSize(const ReceivedRequest& request)
{
    std::size_t size = request.method.size() + request.path.size() + request.body.size();
    for (const auto& [name, value] : request.headers)
        size += name.size() + value.size();
    return size;
}

void lengthenListenQueue(int port)
{
    if (port <= 0)
        return;
    // The listening socket is found by its port among the process's descriptors.
    for (int descriptor = 3; descriptor < 1024; ++descriptor) {
        sockaddr_in address {};
        socklen_t length = sizeof address;
        int listening = 0;
        socklen_t flagLength = sizeof listening;
        if (::getsockname(descriptor, reinterpret_cast<sockaddr*>(&address), &length) != 0 || address.sin_family != AF_INET
            || ntohs(address.sin_port) != port)
            continue;
        if (::getsockopt(descriptor, SOL_SOCKET, SO_ACCEPTCONN, &listening, &flagLength) == 0 && listening)
            ::listen(descriptor, kListenQueue);
    }
}

} // namespace

std::string ReceivedRequest::header(const std::string& name) const
{
    for (const auto& [key, value] : headers) {
        if (key.size() == name.size() && std::equal(key.begin(), key.end(), name.begin(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
            }))
            return value;
    }
    return {};
}

std::string formEncode(const std::string& text)
{
    static const char* digits = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(text.size() * 3 / 2);
    for (unsigned char c : text) {
        if (std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '*') {
            encoded.push_back(static_cast<char>(c));
        } else if (c == ' ') {
            encoded.push_back('+');
        } else {
            encoded.push_back('%');
            encoded.push_back(digits[c >> 4]);
            encoded.push_back(digits[c & 15]);
        }
    }
    return encoded;
}

std::string formDecode(const std::string& text)
{
    std::string decoded;
    decoded.reserve(text.size());
    auto hex = [](char c) {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '+') {
            decoded.push_back(' ');
        } else if (text[i] == '%' && i + 2 < text.size() && hex(text[i + 1]) >= 0 && hex(text[i + 2]) >= 0) {
            decoded.push_back(static_cast<char>(hex(text[i + 1]) * 16 + hex(text[i + 2])));
            i += 2;
        } else {
            decoded.push_back(text[i]);
        }
    }
    return decoded;
}

struct ServiceStandIn::Implementation final : StandInContext {
    enum class SessionState { Live, Expired, Replaced, Unknown };
    struct SessionRecord {
        std::string usercode;
        std::string roletype;
        std::chrono::steady_clock::time_point lastUse;
        bool replaced { false };
        bool expired { false };
        // Names the session in the address of the learner's own photo, which images are fetched
        // by without cookies.
        std::string photoKey;
    };

    explicit Implementation(const Options& options)
        : options(options)
    {
        addTheoryRoutes(routes);
        addTrainingRoutes(routes);
        addRecordsRoutes(routes);
        addChartsRoutes(routes);
    }
    ~Implementation() override
    {
        stop();
        if (database)
            sqlite3_close(database);
    }

    bool openDatabase(std::string& error);
    // Whether the file passes SQLite's quick check; false with `error` set when another holds it.
    bool intact(std::string& error);
    // Moves the file and its journals to the first free "<file>.damaged", "<file>.damaged-2"...
    // and answers that name.
    static std::string setAside(const std::string& path);
    // Adds the sample rows dated from today that are missing (sample-days.sql), in one transaction;
    // says on the standard error when they could not be.
    void freshen();
    std::vector<Row> query(const std::string& sql, const std::vector<std::string>& arguments) override;
    bool execute(const std::string& sql, const std::vector<std::string>& arguments) override;
    bool transaction(const std::function<bool()>& body) override;
    // Seeds an empty database in one transaction that marks it complete last; false when the
    // file already holds something else than a complete seed.
    bool seeded(std::string& error);
    // A file seeded before seeding marked its end counts as complete (and is marked) when it has
    // every table of the seed.
    bool completeWithoutMark();
    // The statement with its arguments bound, nil when the text does not compile; the caller
    // holds the database lock.
    std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> prepare(const std::string& sql, const std::vector<std::string>& arguments);

    void record(const httplib::Request& request);
    void handleMain(const httplib::Request& request, httplib::Response& response);
    void handlePayment(const httplib::Request& request, httplib::Response& response);
    bool fixedFieldsHold(const Fields& fields) const;
    SessionState checkSession(const std::string& sessionId, Session* found);
    bool liveSession(const std::string& sessionId, Session& session, bool codeService, httplib::Response& response) override;
    // The first raw handler whose prefix starts the path; false when none does.
    bool handleRaw(const std::vector<std::pair<std::string, RawHandler>>& handlers, const httplib::Request& request, httplib::Response& response);

    void regionList(httplib::Response& response);
    void login(const Fields& fields, httplib::Response& response);
    FailedLoginLimit::Attempt beginLogin(const std::string& usercode);
    void loginSucceeded(const std::string& usercode);
    void updatePassword(const Fields& fields, httplib::Response& response);
    void loginCheck(const Fields& fields, httplib::Response& response);
    void schoolEvaluation(const Fields& fields, httplib::Response& response);
    void picture(const httplib::Request& request, httplib::Response& response);
    // The learner's own photo, for the session whose photo key the address carries.
    void photo(const httplib::Request& request, httplib::Response& response);
    void servePicture(const std::string& name, httplib::Response& response);
    // The sample data names its pictures under the default address; a stand-in on other ports
    // answers with its own.
    std::string localised(const std::string& text) const override;
    std::string ownPicture(const std::string& text, const Session& session) const override;
    // Whether the picture is the session's learner's own: their account photo or a photo of one
    // of their training records.
    bool ownsPicture(const Session& session, const std::string& name);
    // A picture that belongs to some learner, and so is not on the public road.
    bool someonesPicture(const std::string& name);
    std::string mainAddress() const override { return publicBase; }
    std::string paymentAddress() const override { return paymentBase; }

    void stop()
    {
        for (auto* server : { &mainServer, &paymentServer }) {
            if (*server)
                (*server)->stop();
        }
        for (auto* thread : { &mainThread, &paymentThread }) {
            if (thread->joinable())
                thread->join();
        }
    }

    Options options;
    Routes routes;
    std::string publicBase;
    std::string paymentBase;
    sqlite3* database { nullptr };
    // Recursive, so that the statements of a transaction take it again on its thread.
    std::recursive_mutex databaseMutex;
    // Made once the ports are bound; they outlive the servers, which hold their task queues.
    std::unique_ptr<ConnectionWatch> mainWatch;
    std::unique_ptr<ConnectionWatch> paymentWatch;
    std::unique_ptr<httplib::Server> mainServer;
    std::unique_ptr<httplib::Server> paymentServer;
    std::thread mainThread;
    std::thread paymentThread;

    mutable std::mutex mutex;
    std::deque<ReceivedRequest> received;
    std::size_t receivedBytes { 0 };
    FailedLoginLimit failedLogins { kFailedLoginLimit, kFailedLoginWindow };
    std::map<std::string, SessionRecord> sessions;
    std::map<std::string, std::string> cannedReplies;
    std::map<std::string, std::function<std::string(const std::string&)>> replyRewrites;
    std::map<std::string, std::size_t> timesServed;

    // The operation of a request as the canned replies and rewrites name it.
    static std::string operationKey(const std::string& operation, const Fields& fields)
    {
        if (operation != "queryStudentHour")
            return operation;
        auto param = ns::dictionaryValue(JSONCodecDeserializing::objectFromJSONString(NSString(field(fields, "param"))));
        return operation + "/" + ns::textOf(param ? param->objectForKey(NSString("QUERY_TYPE")) : nullptr).UTF8String();
    }
    // The reply as a test rewrites it, when one does.
    void rewriteReply(const httplib::Request& request, httplib::Response& response)
    {
        std::function<std::string(const std::string&)> rewrite;
        {
            std::lock_guard lock(mutex);
            if (replyRewrites.empty())
                return;
            const Fields fields = parseForm(request.body);
            std::string operation = request.path.substr(request.path.rfind('/') + 1);
            if (request.path.ends_with("/distri/distribute"))
                operation = field(fields, "METHOD");
            auto found = replyRewrites.find(operationKey(operation, fields));
            if (found == replyRewrites.end())
                return;
            rewrite = found->second;
            ++timesServed[found->first];
        }
        // Replies go form-encoded but for the payment text, which goes as plain JSON.
        const bool encoded = response.get_header_value("Content-Type").starts_with("text/plain");
        const std::string json = rewrite(encoded ? formDecode(response.body) : response.body);
        response.set_content(encoded ? formEncode(json) : json, response.get_header_value("Content-Type"));
    }

    // The canned reply of the operation, when a test set one.
    bool answeredCanned(const std::string& operation, const Fields& fields, httplib::Response& response)
    {
        std::string json;
        {
            std::lock_guard lock(mutex);
            if (cannedReplies.empty())
                return false;
            auto found = cannedReplies.find(operationKey(operation, fields));
            if (found == cannedReplies.end())
                return false;
            json = found->second;
            ++timesServed[found->first];
        }
        reply(response, json);
        return true;
    }
};

bool ServiceStandIn::Implementation::openDatabase(std::string& error)
{
    const auto open = [&] {
        if (database)
            sqlite3_close(database);
        database = nullptr;
        if (sqlite3_open_v2(options.databasePath.c_str(), &database, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                nullptr) != SQLITE_OK) {
            error = "cannot open the database " + options.databasePath;
            return false;
        }
        // Another stand-in seeding the same file is waited for.
        sqlite3_busy_timeout(database, 10000);
        return true;
    };
    if (!open())
        return false;
    const bool inMemory = options.databasePath == ":memory:";
    // A damaged page gives wrong answers, not errors, so the whole file is checked before use.
    const bool intact = inMemory || this->intact(error);
    if (!error.empty())
        return false;
    if (intact && seeded(error)) {
        freshen();
        return true;
    }
    if (inMemory || !error.empty())
        return false;
    // A damaged file, or one whose seeding was cut short, is put aside with its journal and a
    // fresh one made; an earlier one put aside stays.
    sqlite3_close(database);
    database = nullptr;
    const std::string aside = setAside(options.databasePath);
    std::cerr << "corvane-standin: " << options.databasePath << (intact ? " was half seeded" : " failed its check") << "; kept as " << aside
              << ", seeding a new one\n";
    if (!open() || !seeded(error))
        return false;
    freshen();
    return true;
}

bool ServiceStandIn::Implementation::intact(std::string& error)
{
    std::lock_guard lock(databaseMutex);
    auto check = prepare("pragma quick_check", {});
    int step = check ? sqlite3_step(check.get()) : sqlite3_errcode(database);
    // Another stand-in holding the file is no damage.
    if (step == SQLITE_BUSY || step == SQLITE_LOCKED) {
        error = "the database " + options.databasePath + " is busy";
        return false;
    }
    if (!check || step != SQLITE_ROW)
        return false;
    const auto* first = reinterpret_cast<const char*>(sqlite3_column_text(check.get(), 0));
    // One row "ok", or rows that each tell a fault.
    return first && std::strcmp(first, "ok") == 0 && sqlite3_step(check.get()) == SQLITE_DONE;
}

std::string ServiceStandIn::Implementation::setAside(const std::string& path)
{
    std::error_code failed;
    std::string aside = path + ".damaged";
    for (int copy = 2; std::filesystem::exists(aside, failed) || std::filesystem::exists(aside + "-journal", failed); ++copy)
        aside = path + ".damaged-" + std::to_string(copy);
    std::filesystem::rename(path, aside, failed);
    // Under the names SQLite looks for beside the file put aside, so that it still reads as it was.
    for (const char* suffix : { "-journal", "-wal", "-shm" }) {
        if (std::filesystem::exists(path + suffix, failed))
            std::filesystem::rename(path + suffix, aside + suffix, failed);
    }
    return aside;
}

void ServiceStandIn::Implementation::freshen()
{
    std::lock_guard lock(databaseMutex);
    char* message = nullptr;
    if (transaction([&] { return sqlite3_exec(database, kSampleDaysSQL, nullptr, nullptr, &message) == SQLITE_OK; }))
        return;
    // The data is still what it was, only its sample days are not this week's: it is served.
    std::cerr << "corvane-standin: the sample rows dated from today were not added: " << (message ? message : sqlite3_errmsg(database)) << "\n";
    sqlite3_free(message);
}

bool ServiceStandIn::Implementation::completeWithoutMark()
{
    sqlite3* fresh = nullptr;
    bool complete = sqlite3_open(":memory:", &fresh) == SQLITE_OK && sqlite3_exec(fresh, kSeedSQL, nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_stmt* names = nullptr;
    if (complete && sqlite3_prepare_v2(fresh, "select name from sqlite_master where type = 'table'", -1, &names, nullptr) == SQLITE_OK) {
        while (complete && sqlite3_step(names) == SQLITE_ROW) {
            const auto* name = reinterpret_cast<const char*>(sqlite3_column_text(names, 0));
            complete = !query("select 1 from sqlite_master where type = 'table' and name = ?1", { name ? name : "" }).empty();
        }
    }
    sqlite3_finalize(names);
    sqlite3_close(fresh);
    return complete && execute("pragma user_version = " + std::to_string(kSeedMark), {});
}

bool ServiceStandIn::Implementation::seeded(std::string& error)
{
    std::lock_guard lock(databaseMutex);
    const auto version = [this] {
        auto rows = query("pragma user_version", {});
        return rows.empty() || rows.front().empty() ? -1 : std::atoi(rows.front().front().second.c_str());
    };
    if (version() == kSeedMark)
        return true;
    if (const int begun = sqlite3_exec(database, "begin immediate", nullptr, nullptr, nullptr); begun != SQLITE_OK) {
        if (begun == SQLITE_BUSY || begun == SQLITE_LOCKED)
            error = "the database " + options.databasePath + " is busy";
        return false;
    }
    const auto tables = query("select count(*) as N from sqlite_master", {});
    const bool empty = !tables.empty() && !tables.front().empty() && tables.front().front().second == "0";
    if (version() == kSeedMark || !empty) {
        const bool done = version() == kSeedMark || completeWithoutMark();
        sqlite3_exec(database, done ? "commit" : "rollback", nullptr, nullptr, nullptr);
        return done;
    }
    char* message = nullptr;
    const std::string mark = "\n;pragma user_version = " + std::to_string(kSeedMark) + ";";
    if (sqlite3_exec(database, (std::string(kSeedSQL) + mark).c_str(), nullptr, nullptr, &message) != SQLITE_OK
        || sqlite3_exec(database, "commit", nullptr, nullptr, nullptr) != SQLITE_OK) {
        error = std::string("cannot seed the database: ") + (message ? message : sqlite3_errmsg(database));
        sqlite3_free(message);
        sqlite3_exec(database, "rollback", nullptr, nullptr, nullptr);
        return false;
    }
    return true;
}

std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> ServiceStandIn::Implementation::prepare(const std::string& sql,
    const std::vector<std::string>& arguments)
{
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(database, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
        sqlite3_finalize(statement);
        statement = nullptr;
    }
    for (std::size_t i = 0; statement && i < arguments.size(); ++i)
        // With its length, so that a value with a NUL inside is compared whole, not cut at the NUL.
        sqlite3_bind_text(statement, static_cast<int>(i + 1), arguments[i].data(), static_cast<int>(arguments[i].size()), SQLITE_TRANSIENT);
    return { statement, &sqlite3_finalize };
}

std::vector<Row> ServiceStandIn::Implementation::query(const std::string& sql, const std::vector<std::string>& arguments)
{
    std::lock_guard lock(databaseMutex);
    std::vector<Row> rows;
    auto owned = prepare(sql, arguments);
    sqlite3_stmt* statement = owned.get();
    if (!statement)
        return rows;
    while (sqlite3_step(statement) == SQLITE_ROW) {
        Row row;
        for (int column = 0; column < sqlite3_column_count(statement); ++column) {
            // A NULL column is left out of the row, as the services leave out what they do not know.
            if (sqlite3_column_type(statement, column) == SQLITE_NULL)
                continue;
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
            row.emplace_back(sqlite3_column_name(statement, column), text ? text : "");
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

bool ServiceStandIn::Implementation::execute(const std::string& sql, const std::vector<std::string>& arguments)
{
    std::lock_guard lock(databaseMutex);
    auto statement = prepare(sql, arguments);
    return statement && sqlite3_step(statement.get()) == SQLITE_DONE;
}

bool ServiceStandIn::Implementation::transaction(const std::function<bool()>& body)
{
    std::lock_guard lock(databaseMutex);
    if (sqlite3_exec(database, "begin immediate", nullptr, nullptr, nullptr) != SQLITE_OK)
        return false;
    if (body() && sqlite3_exec(database, "commit", nullptr, nullptr, nullptr) == SQLITE_OK)
        return true;
    sqlite3_exec(database, "rollback", nullptr, nullptr, nullptr);
    return false;
}

void ServiceStandIn::Implementation::record(const httplib::Request& request)
{
    ReceivedRequest entry { request.method, request.path, request.body.substr(0, kLoggedBodyBytes), {} };
    for (const auto& [name, value] : request.headers)
        entry.headers.emplace(name, value);
    std::lock_guard lock(mutex);
    // Only the latest requests are kept, so a long-running stand-in does not grow for ever.
    const std::size_t size = loggedSize(entry);
    while (!received.empty() && (received.size() >= kKeptRequests || receivedBytes + size > kKeptRequestBytes)) {
        receivedBytes -= loggedSize(received.front());
        received.pop_front();
    }
    receivedBytes += size;
    received.push_back(std::move(entry));
}

bool ServiceStandIn::Implementation::fixedFieldsHold(const Fields& fields) const
{
    return field(fields, "_format_") == "json" && field(fields, "_license_key_") == kLicenseKey && field(fields, "_app_id_") == kAppId;
}

ServiceStandIn::Implementation::SessionState ServiceStandIn::Implementation::checkSession(const std::string& sessionId, Session* found)
{
    std::lock_guard lock(mutex);
    auto session = sessions.find(sessionId);
    if (sessionId.empty() || session == sessions.end())
        return SessionState::Unknown;
    if (session->second.replaced)
        return SessionState::Replaced;
    const auto now = std::chrono::steady_clock::now();
    if (session->second.expired || now - session->second.lastUse > options.sessionLifetime) {
        session->second.expired = true;
        return SessionState::Expired;
    }
    session->second.lastUse = now;
    if (found)
        *found = Session { session->second.usercode, session->second.roletype, session->second.photoKey };
    return SessionState::Live;
}

bool ServiceStandIn::Implementation::liveSession(const std::string& sessionId, Session& session, bool codeService, httplib::Response& response)
{
    const auto answer = [&](const char* code, const char* text) {
        reply(response, codeService ? codeEnvelope(code, text) : mainEnvelope(code, text));
        return false;
    };
    switch (checkSession(sessionId, &session)) {
    case SessionState::Live:
        return true;
    case SessionState::Replaced:
        return answer("-4", "您的账户从其他地方登录");
    case SessionState::Expired:
    case SessionState::Unknown:
        break;
    }
    return answer("-3", "会话已过期，请重新登录");
}

void ServiceStandIn::Implementation::handleMain(const httplib::Request& request, httplib::Response& response)
{
    record(request);
    const Fields fields = parseForm(request.body);
    const std::string& path = request.path;
    if (path.rfind(kVideoPrefix, 0) == 0) {
        if (!fixedFieldsHold(fields))
            return reply(response, codeEnvelope("-1", "非法的应用请求"));
        const std::string action = path.substr(std::string(kVideoPrefix).size());
        if (answeredCanned(action, fields, response))
            return;
        if (action == "loginCheck")
            return loginCheck(fields, response);
        if (auto operation = routes.appActions.find(action); operation != routes.appActions.end())
            return operation->second(*this, fields, response);
        return reply(response, codeEnvelope("-1", "暂不支持的操作"), 404);
    }
    if (path.rfind(kMainPrefix, 0) != 0)
        return reply(response, mainEnvelope("-1", "暂不支持的操作"), 404);
    if (!fixedFieldsHold(fields))
        return reply(response, mainEnvelope("-1", "非法的应用请求"));
    const std::string action = path.substr(std::string(kMainPrefix).size());
    if (action == "sysbl/ctop/dt/interface/regional/getregional")
        return answeredCanned("getregional", fields, response) ? void() : regionList(response);
    if (action != "sysbl/ctop/dt/interface/distri/distribute")
        return reply(response, mainEnvelope("-1", "暂不支持的操作"), 404);
    const std::string method = field(fields, "METHOD");
    if (answeredCanned(method, fields, response))
        return;
    if (method == "loginMethod")
        return login(fields, response);
    if (method == "updatePwdMethod")
        return updatePassword(fields, response);
    if (method == "enEvaluateMethod")
        return schoolEvaluation(fields, response);
    if (auto operation = routes.mainMethods.find(method); operation != routes.mainMethods.end())
        return operation->second(*this, fields, response);
    return reply(response, mainEnvelope("-1", "暂不支持的操作"));
}

void ServiceStandIn::Implementation::handlePayment(const httplib::Request& request, httplib::Response& response)
{
    record(request);
    if (handleRaw(routes.paymentPosts, request, response))
        return;
    const Fields fields = parseForm(request.body);
    if (request.path.rfind(kPaymentPrefix, 0) != 0)
        return reply(response, mainEnvelope("-1", "暂不支持的操作"), 404);
    if (!fixedFieldsHold(fields))
        return reply(response, mainEnvelope("-1", "非法的应用请求"));
    const std::string action = request.path.substr(std::string(kPaymentPrefix).size());
    if (auto operation = routes.paymentActions.find(action); operation != routes.paymentActions.end())
        return operation->second(*this, fields, response);
    return reply(response, mainEnvelope("-1", "暂不支持的操作"));
}

bool ServiceStandIn::Implementation::handleRaw(const std::vector<std::pair<std::string, RawHandler>>& handlers,
    const httplib::Request& request, httplib::Response& response)
{
    for (const auto& [prefix, handler] : handlers) {
        if (request.path.rfind(prefix, 0) == 0) {
            handler(*this, request, response);
            return true;
        }
    }
    return false;
}

void ServiceStandIn::Implementation::regionList(httplib::Response& response)
{
    auto rows = query("select province as PROVINCE, province_name as PROVINCE_NAME, depcode as DEPCODE, depname as DEPNAME "
                      "from region order by province, depcode",
        {});
    reply(response, mainEnvelope("0", "成功", { rows }));
}

void ServiceStandIn::Implementation::login(const Fields& fields, httplib::Response& response)
{
    const std::string usercode = field(fields, "USERCODE");
    const std::string roletype = field(fields, "ROLETYPE");
    if (usercode.empty() || field(fields, "PASSWRD").empty() || roletype.empty() || field(fields, "DEPCODE").empty())
        return reply(response, mainEnvelope("-1", "登录信息不完整"));
    switch (beginLogin(usercode)) {
    case FailedLoginLimit::Attempt::Evaluate:
        break;
    case FailedLoginLimit::Attempt::Refused:
        return reply(response, mainEnvelope("1", "登录失败次数过多，请稍后再试"));
    case FailedLoginLimit::Attempt::Busy:
        return reply(response, mainEnvelope("1", "服务器忙，请稍候再试"));
    }
    auto accounts = query("select usercode as USERCODE, phone as PHONE, cardno as CARDNO, name as NAME, stuid as STUID, "
                          "perdritype as PERDRITYPE, admissiondate as ADMISSIONDATE, govstatus as GOVSTATUS, epname as EPNAME, "
                          "urlimg as URLIMG, subject as SUBJECT, distance_education as DISTANCE_EDUCATION, jximgurl as JXIMGURL, "
                          "stuapplicationid as STUAPPLICATIONID from account "
                          "where usercode = ?1 and roletype = ?2 and depcode = ?3 and password = ?4",
        { usercode, roletype, field(fields, "DEPCODE"), field(fields, "PASSWRD") });
    if (accounts.empty())
        return reply(response, mainEnvelope("1", "用户名或密码错误"));
    loginSucceeded(usercode);

    const std::string sessionId = newSessionId();
    const std::string photoKey = newSessionId();
    {
        std::lock_guard lock(mutex);
        // One session per account: a newer login replaces the older one.
        for (auto& [id, session] : sessions) {
            if (session.usercode == usercode && session.roletype == roletype)
                session.replaced = true;
        }
        sessions[sessionId] = SessionRecord { usercode, roletype, std::chrono::steady_clock::now(), false, false, photoKey };
    }
    Row person = accounts.front();
    const Session session { usercode, roletype, photoKey };
    for (auto& [key, value] : person)
        value = key == "URLIMG" ? ownPicture(value, session) : localised(value);
    person.emplace_back("SESSIONID", sessionId);
    auto settings = query("select paramname as PARAMNAME, paramvalue as PARAMVALUE from app_setting order by rowid", {});
    response.set_header("Set-Cookie", std::string(kSessionCookie) + "=" + sessionId + "; Path=/; HttpOnly");
    reply(response, mainEnvelope("0", "登录成功", { settings, { person } }));
}

FailedLoginLimit::Attempt ServiceStandIn::Implementation::beginLogin(const std::string& usercode)
{
    // Whether an account has the name is not asked: names the data has and names it has not are
    // counted alike, so that neither the answer nor its time tells them apart.
    std::lock_guard lock(mutex);
    return failedLogins.begin(usercode, std::chrono::steady_clock::now());
}

void ServiceStandIn::Implementation::loginSucceeded(const std::string& usercode)
{
    std::lock_guard lock(mutex);
    failedLogins.succeeded(usercode, std::chrono::steady_clock::now());
}

void ServiceStandIn::Implementation::updatePassword(const Fields& fields, httplib::Response& response)
{
    Session session;
    if (!liveSession(field(fields, "TALKID"), session, false, response))
        return;
    const std::string oldPassword = field(fields, "OLDPASSWRD");
    const std::string newPassword = field(fields, "NEWPASSWRD");
    if (newPassword.empty())
        return reply(response, mainEnvelope("1", "新密码不能为空"));
    if (query("select usercode from account where usercode = ?1 and roletype = ?2 and password = ?3",
            { session.usercode, session.roletype, oldPassword })
            .empty())
        return reply(response, mainEnvelope("1", "原密码不正确"));
    if (!execute("update account set password = ?1 where usercode = ?2 and roletype = ?3", { newPassword, session.usercode, session.roletype }))
        return reply(response, mainEnvelope("1", "服务器忙，请稍候再试"));
    reply(response, mainEnvelope("0", "密码修改成功"));
}

void ServiceStandIn::Implementation::loginCheck(const Fields& fields, httplib::Response& response)
{
    auto param = ns::dictionaryValue(JSONCodecDeserializing::objectFromJSONString(NSString(field(fields, "param"))));
    if (!param)
        return reply(response, codeEnvelope("-1", "请求参数错误"));
    Session session;
    if (!liveSession(ns::stringForKey(param, "TALKID").UTF8String(), session, true, response))
        return;
    const std::string usercode = ns::stringForKey(param, "USERCODE").UTF8String();
    if (usercode != session.usercode)
        return reply(response, codeEnvelope("1", "用户信息不一致"));
    auto accounts = query("select theoryhours as THEORYHOURS, theoryhours2 as THEORYHOURS2, theoryhours3 as THEORYHOURS3, "
                          "value0 as VALUE0, value1 as VALUE1, value2 as VALUE2, sub1time, sub2time, sub3time, ispower as ISPOWER, "
                          "sub1alltime as SUB1ALLTIME, sub2alltime as SUB2ALLTIME, sub3alltime as SUB3ALLTIME, "
                          "distance_education as DISTANCE_EDUCATION, is_open_orbipay as IS_OPEN_ORBIPAY "
                          "from video_account where usercode = ?1",
        { usercode });
    if (accounts.empty())
        return reply(response, codeEnvelope("1", "未开通视频学习账户"));
    auto data = NSMutableDictionary::dictionary();
    for (const auto& [key, value] : accounts.front()) {
        // The learned seconds go out as numbers, the rest as text, as the video service sends them.
        if (key.rfind("sub", 0) == 0 && key.size() == 8)
            data->setObject(NSNumber::numberWithLongLong(std::atoll(value.c_str())), NSString(key));
        else
            data->setObject(NSString(value), NSString(key));
    }
    reply(response, codeEnvelope("0", "成功", data));
}

void ServiceStandIn::Implementation::schoolEvaluation(const Fields& fields, httplib::Response& response)
{
    Session session;
    if (!liveSession(field(fields, "TALKID"), session, false, response))
        return;
    // array0: the learner's evaluation of the school, when there is one; array1: the items to score.
    auto done = query("select usercode as USERCODE, school_id as SCHOOLID, score as SCORE, evaldate as EVALDATE "
                      "from school_evaluation where usercode = ?1",
        { session.usercode });
    auto items = query("select item_id as ITEMID, item_name as ITEMNAME from evaluation_item order by item_id", {});
    reply(response, mainEnvelope("0", "成功", { done, items }));
}

void ServiceStandIn::Implementation::picture(const httplib::Request& request, httplib::Response& response)
{
    record(request);
    const std::string name = request.path.substr(request.path.rfind('/') + 1);
    // A learner's photos go only to that learner's session, through the photos' keyed address.
    if (someonesPicture(name)) {
        response.status = 404;
        response.set_content("not found", "text/plain");
        return;
    }
    servePicture(name, response);
}

void ServiceStandIn::Implementation::photo(const httplib::Request& request, httplib::Response& response)
{
    record(request);
    const std::string key = request.get_param_value("key");
    std::string sessionId;
    {
        std::lock_guard lock(mutex);
        for (const auto& [id, session] : sessions) {
            if (!key.empty() && session.photoKey == key)
                sessionId = id;
        }
    }
    Session session;
    if (checkSession(sessionId, &session) != SessionState::Live)
        return reply(response, mainEnvelope("-3", "会话已过期，请重新登录"), 403);
    const std::string name = request.path.substr(request.path.rfind('/') + 1);
    if (!ownsPicture(session, name)) {
        response.status = 404;
        response.set_content("not found", "text/plain");
        return;
    }
    servePicture(name, response);
}

bool ServiceStandIn::Implementation::ownsPicture(const Session& session, const std::string& name)
{
    return !name.empty()
        && !query("select 1 from account where usercode = ?1 and roletype = ?2 and substr(urlimg, -length(?3) - 1) = '/' || ?3 "
                  "union all select 1 from records_photo p join records_training t on t.recordid = p.recordid "
                  "where t.usercode = ?1 and ?2 = '0' and substr(p.photo, -length(?3) - 1) = '/' || ?3",
            { session.usercode, session.roletype, name })
                .empty();
}

bool ServiceStandIn::Implementation::someonesPicture(const std::string& name)
{
    // A picture is known by its name up to the first dot, in any letter case: the drawing it was
    // made from, another extension or another case of its name is the same person's picture.
    const auto stem = [](const std::string& address) {
        std::string text = address.substr(address.rfind('/') + 1);
        text = text.substr(0, text.find('.'));
        std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        return text;
    };
    if (name.empty())
        return false;
    const std::string asked = stem(name);
    const auto owned = query("select urlimg from account where urlimg is not null union select photo from records_photo", {});
    return std::any_of(owned.begin(), owned.end(), [&](const Row& row) {
        return !row.empty() && stem(row.front().second) == asked;
    });
}

void ServiceStandIn::Implementation::servePicture(const std::string& name, httplib::Response& response)
{
    // Only plain names of the pictures folder, nothing above it.
    const bool plain = !name.empty() && name.find("..") == std::string::npos && name.find('/') == std::string::npos
        && std::none_of(name.begin(), name.end(), [](char c) { return std::iscntrl(static_cast<unsigned char>(c)); });
    std::ifstream file(plain ? std::string(CORVANE_STANDIN_PICTURES) + "/" + name : std::string(), std::ios::binary);
    if (!file) {
        response.status = 404;
        response.set_content("not found", "text/plain");
        return;
    }
    std::ostringstream content;
    content << file.rdbuf();
    response.set_content(content.str(), "image/png");
}

std::string ServiceStandIn::Implementation::ownPicture(const std::string& text, const Session& session) const
{
    const std::string value = localised(text);
    const auto folder = value.find(kPicturesPath);
    if (folder == std::string::npos)
        return value;
    return value.substr(0, folder) + kPhotosPath + value.substr(folder + std::strlen(kPicturesPath)) + "?key=" + session.photoKey;
}

std::string ServiceStandIn::Implementation::localised(const std::string& text) const
{
    static const std::string defaultAddress = "http://127.0.0.1:3600";
    if (publicBase.empty())
        return text;
    // The default address wherever it starts an address of its own, in a value or inside a text;
    // not where it is the tail of another scheme ("xhttp://") or the head of another host or port
    // (":36000", ":3600.example", ":3600@host"), as a lenient reader of addresses would take them.
    const auto partOfScheme = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.'; };
    const auto partOfAuthority = [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || (c != '\0' && std::strchr("-._~:@%", c) != nullptr);
    };
    const std::string base = publicBase.substr(0, publicBase.size() - 1);
    std::string localised;
    std::size_t copied = 0;
    for (std::size_t at = text.find(defaultAddress); at != std::string::npos; at = text.find(defaultAddress, at + 1)) {
        const std::size_t end = at + defaultAddress.size();
        if ((at > 0 && partOfScheme(text[at - 1])) || (end < text.size() && partOfAuthority(text[end])))
            continue;
        localised.append(text, copied, at - copied).append(base);
        copied = end;
    }
    return localised.append(text, copied);
}

ServiceStandIn::ServiceStandIn(Options options)
    : m_options(std::move(options))
{
}

ServiceStandIn::~ServiceStandIn()
{
    stop();
}

bool ServiceStandIn::start()
{
    stop();
    m_implementation = std::make_unique<Implementation>(m_options);
    auto& implementation = *m_implementation;
    if (!implementation.openDatabase(m_lastError))
        return false;

    const bool keepAlive = m_options.keepAlive;
    auto makeServer = [&](auto handle, const std::vector<std::pair<std::string, RawHandler>>* gets, std::unique_ptr<ConnectionWatch>& watch) {
        auto server = std::make_unique<httplib::Server>();
        // Every handler runs once its request has arrived whole; the watch counts its deadline from there.
        auto answered = [&watch](auto body) {
            return [&watch, body](const httplib::Request& request, httplib::Response& response) {
                ConnectionWatch::Answering answering(*watch, request);
                body(request, response);
            };
        };
        auto handler = answered(handle);
        server->set_pre_routing_handler([keepAlive](const httplib::Request& request, httplib::Response& response) {
            if (!keepAlive)
                response.set_header("Connection", "close");
            // A path is checked as text and opened as a C string: one holding a NUL (or any
            // control character) is refused before anything looks at it.
            if (std::any_of(request.path.begin(), request.path.end(), [](char c) { return std::iscntrl(static_cast<unsigned char>(c)); })) {
                reply(response, mainEnvelope("-1", "请求格式错误"), 400);
                return httplib::Server::HandlerResponse::Handled;
            }
            return httplib::Server::HandlerResponse::Unhandled;
        });
        server->set_payload_max_length(1 << 20);
        server->set_tcp_nodelay(true);
        // A client that sends its request a line at a time holds one worker, and that for the
        // request's deadline at most (the watch's).
        server->set_read_timeout(std::chrono::seconds(5));
        server->set_keep_alive_timeout(2);
        // What the library refuses before any handler runs (too large, no body, a bad request
        // line) is answered in the services' envelope too.
        server->set_error_handler([](const httplib::Request&, httplib::Response& response) {
            if (!response.body.empty())
                return;
            const int status = response.status;
            reply(response, mainEnvelope("-1", status == 413 ? "请求内容过大" : "请求格式错误"), status);
        });
        // Without the library's shared-port option, so that a second stand-in cannot listen on a
        // port already served and the client's run command can tell whether one is running.
        server->set_socket_options([](socket_t socket) {
            int yes = 1;
            ::setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        });
        // Workers for a few hundred clients, watched so that slow ones cannot stop it answering
        // the rest; the server owns and deletes the queue it is handed.
        server->new_task_queue = [&watch] { return watch->newTaskQueue(); };
        server->set_exception_handler([](const httplib::Request&, httplib::Response& response, std::exception_ptr) {
            reply(response, mainEnvelope("-1", "服务器内部错误"), 500);
        });
        server->Post(".*", handler);
        server->Get("/Tessalane/images/.*", answered([&implementation](const httplib::Request& request, httplib::Response& response) {
            implementation.picture(request, response);
        }));
        server->Get("/Tessalane/photos/.*", answered([&implementation](const httplib::Request& request, httplib::Response& response) {
            implementation.photo(request, response);
        }));
        // Only POSTs are served, besides the files and pages an area registers; anything else
        // gets the error envelope too.
        server->Get(".*", answered([&implementation, gets](const httplib::Request& request, httplib::Response& response) {
            if (gets) {
                implementation.record(request);
                if (implementation.handleRaw(*gets, request, response))
                    return;
            }
            reply(response, mainEnvelope("-1", "请使用POST请求"), 405);
        }));
        return server;
    };
    implementation.mainServer = makeServer([&implementation](const httplib::Request& request, httplib::Response& response) {
        implementation.handleMain(request, response);
        implementation.rewriteReply(request, response);
    }, &implementation.routes.mainGets, implementation.mainWatch);
    implementation.paymentServer = makeServer([&implementation](const httplib::Request& request, httplib::Response& response) {
        implementation.handlePayment(request, response);
        implementation.rewriteReply(request, response);
    }, &implementation.routes.paymentGets, implementation.paymentWatch);

    auto bind = [&](httplib::Server& server, int port) {
        if (port == 0)
            return server.bind_to_any_port(m_options.host);
        return server.bind_to_port(m_options.host, port) ? port : -1;
    };
    m_mainPort = bind(*implementation.mainServer, m_options.mainPort);
    m_paymentPort = bind(*implementation.paymentServer, m_options.paymentPort);
    // The server listens with a queue of five; listening again on the bound socket lengthens it,
    // so that a burst of clients is queued rather than refused.
    for (const int port : { m_mainPort, m_paymentPort })
        lengthenListenQueue(port);
    if (m_mainPort <= 0 || m_paymentPort <= 0) {
        m_lastError = "cannot listen on " + m_options.host + " port " + std::to_string(m_mainPort <= 0 ? m_options.mainPort : m_options.paymentPort);
        m_implementation.reset();
        return false;
    }
    implementation.mainWatch = std::make_unique<ConnectionWatch>(m_mainPort, kWorkers, kMostWorkers, m_options.requestDeadline);
    implementation.paymentWatch = std::make_unique<ConnectionWatch>(m_paymentPort, kWorkers, kMostWorkers, m_options.requestDeadline);
    implementation.publicBase = "http://" + m_options.host + ":" + std::to_string(m_mainPort) + "/";
    implementation.paymentBase = "http://" + m_options.host + ":" + std::to_string(m_paymentPort) + "/";
    implementation.mainThread = std::thread([&implementation] { implementation.mainServer->listen_after_bind(); });
    implementation.paymentThread = std::thread([&implementation] { implementation.paymentServer->listen_after_bind(); });
    // Stopping before the accept loops run would leave them running for ever.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while ((!implementation.mainServer->is_running() || !implementation.paymentServer->is_running())
        && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return true;
}

void ServiceStandIn::stop()
{
    m_implementation.reset();
}

std::unique_ptr<ServiceStandIn> startUnlessServed(Options options)
{
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(options.mainPort));
    if (options.mainPort > 0 && ::inet_pton(AF_INET, options.host.c_str(), &address.sin_addr) == 1) {
        const int probe = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const bool served = probe >= 0 && ::connect(probe, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
        if (probe >= 0)
            ::close(probe);
        if (served)
            return nullptr;
    }
    auto standIn = std::make_unique<ServiceStandIn>(std::move(options));
    if (!standIn->start())
        return nullptr;
    return standIn;
}

std::string ServiceStandIn::mainBaseURL() const
{
    return "http://" + m_options.host + ":" + std::to_string(m_mainPort) + kMainPrefix;
}

std::string ServiceStandIn::videoBaseURL() const
{
    return "http://" + m_options.host + ":" + std::to_string(m_mainPort) + "/Tessalane/";
}

std::string ServiceStandIn::paymentBaseURL() const
{
    return "http://" + m_options.host + ":" + std::to_string(m_paymentPort) + kPaymentPrefix + "SYSBL/BRENLOW/DTTM/PUBL/ZXZF/";
}

std::vector<ReceivedRequest> ServiceStandIn::requests() const
{
    if (!m_implementation)
        return {};
    std::lock_guard lock(m_implementation->mutex);
    return { m_implementation->received.begin(), m_implementation->received.end() };
}

void ServiceStandIn::clearRequests()
{
    if (!m_implementation)
        return;
    std::lock_guard lock(m_implementation->mutex);
    m_implementation->received.clear();
    m_implementation->receivedBytes = 0;
}

void ServiceStandIn::expireSessions()
{
    if (!m_implementation)
        return;
    std::lock_guard lock(m_implementation->mutex);
    for (auto& [id, session] : m_implementation->sessions)
        session.expired = true;
}

void ServiceStandIn::setCannedReply(const std::string& operation, const std::string& json)
{
    if (!m_implementation)
        return;
    std::lock_guard lock(m_implementation->mutex);
    m_implementation->timesServed.erase(operation);
    if (json.empty())
        m_implementation->cannedReplies.erase(operation);
    else
        m_implementation->cannedReplies[operation] = json;
}

void ServiceStandIn::setReplyRewrite(const std::string& operation, std::function<std::string(const std::string& json)> rewrite)
{
    if (!m_implementation)
        return;
    std::lock_guard lock(m_implementation->mutex);
    m_implementation->timesServed.erase(operation);
    if (rewrite)
        m_implementation->replyRewrites[operation] = std::move(rewrite);
    else
        m_implementation->replyRewrites.erase(operation);
}

std::size_t ServiceStandIn::timesServed(const std::string& operation) const
{
    if (!m_implementation)
        return 0;
    std::lock_guard lock(m_implementation->mutex);
    auto found = m_implementation->timesServed.find(operation);
    return found == m_implementation->timesServed.end() ? 0 : found->second;
}

} // namespace standin
