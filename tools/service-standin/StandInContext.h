#pragma once
// What a group of the stand-in's operations needs from the stand-in: the sample database, the
// sessions, and the two reply envelopes. Each area of the client has its operations in a file of
// its own under routes/ and its sample data in seeds/; the stand-in registers them all at start.

#include "platform/foundation/NSObject.h"

#include <httplib.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

class NSDictionary;

namespace standin {

// What the services answer when a write does not hold.
inline constexpr const char* kWriteFailed = "服务器忙，请稍候再试";

using Fields = std::map<std::string, std::string>;
// A result row: column names and texts, in column order; NULL columns are left out.
using Row = std::vector<std::pair<std::string, std::string>>;

struct Session {
    std::string usercode;
    std::string roletype;
    // Names the session in the addresses of the learner's own pictures.
    std::string photoKey;
};

Fields parseForm(const std::string& body);
// The field's value, empty when absent.
std::string field(const Fields& fields, const char* name);
std::shared_ptr<NSDictionary> dictionaryOf(const Row& row);
// The main service's reply: output.head.retCode/retDesc and output.body.arrayN.rowSet.row.
std::string mainEnvelope(const std::string& code, const std::string& description, const std::vector<std::vector<Row>>& arrays = {});
// The video, appeal and payment services' reply: code, data, message.
std::string codeEnvelope(const std::string& code, const std::string& message, const id& data = nullptr);
// Sends the JSON text form-encoded, as the services do.
void reply(httplib::Response& response, const std::string& json, int status = 200);

class StandInContext {
public:
    virtual ~StandInContext() = default;

    // Statements with every value bound; a statement that does not compile gives no rows / false.
    virtual std::vector<Row> query(const std::string& sql, const std::vector<std::string>& arguments) = 0;
    virtual bool execute(const std::string& sql, const std::vector<std::string>& arguments) = 0;
    // Runs `body` with the database to itself, its statements one transaction: kept when `body`
    // answers true and the commit holds, undone otherwise. Answers whether it was kept.
    virtual bool transaction(const std::function<bool()>& body) = 0;
    // True with `session` filled while the session id names a live session; otherwise the
    // request is answered (-3 or -4, in the main envelope or, with codeService, the code one).
    virtual bool liveSession(const std::string& sessionId, Session& session, bool codeService, httplib::Response& response) = 0;
    // The sample data names its files under http://127.0.0.1:3600/; a stand-in on other ports
    // answers with its own address, in a value that is an address and inside a text alike.
    virtual std::string localised(const std::string& text) const = 0;
    // A picture of the sample data that only its learner may see, at its address for `session`
    // (under /Tessalane/photos/ with the session's photo key); other text as localised.
    virtual std::string ownPicture(const std::string& text, const Session& session) const = 0;
    // "http://host:port/" of the main port and of the payment port.
    virtual std::string mainAddress() const = 0;
    virtual std::string paymentAddress() const = 0;
};

// A form-encoded operation: the fixed fields are checked before it is called.
using Operation = std::function<void(StandInContext&, const Fields&, httplib::Response&)>;
// Anything else (files, pages): called with the request as it came.
using RawHandler = std::function<void(StandInContext&, const httplib::Request&, httplib::Response&)>;

struct Routes {
    // By METHOD, on the main service's dispatcher.
    std::map<std::string, Operation> mainMethods;
    // By action after "/Tessalane/app/" (video and appeal services, one form field `param`).
    std::map<std::string, Operation> appActions;
    // By action after "/PayMent/resource/" (e.g. "SYSBL/BRENLOW/DTTM/PUBL/ZXZF/QUERYGOODSBYID").
    std::map<std::string, Operation> paymentActions;
    // By path prefix; GETs and POSTs that are not form operations, on either port.
    std::vector<std::pair<std::string, RawHandler>> mainGets;
    std::vector<std::pair<std::string, RawHandler>> paymentGets;
    std::vector<std::pair<std::string, RawHandler>> paymentPosts;
};

// Each area adds its operations; defined in routes/<Area>Routes.cpp.
void addTheoryRoutes(Routes& routes);
void addTrainingRoutes(Routes& routes);
void addRecordsRoutes(Routes& routes);
void addChartsRoutes(Routes& routes);

} // namespace standin
