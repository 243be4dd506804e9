#pragma once
// The requests of the training records, appeals, evaluations, mail and notices, and the fields
// and rows the client and the services agree on for them.
//
// Main service (dispatcher, METHOD; replies output.body.arrayN.rowSet.row):
//   checkHourMethod        -> array0: SUBJECT, HOURTYPE (1 theory, 2 practice), NEEDHOURS,
//                             FINISHHOURS, EFFECTHOURS (hours as decimal text)
//   enEvaluateMethod       -> array0: the evaluation already made; array1: ITEMID, ITEMNAME
//   saveEnEvaluateMethod   <- ITEMIDS "01,02,..", SCORES "4.5,5,.." (half steps 0.5..5, one per
//                             item), CONTENT (at most 100 characters)
//   emEvaluateMethod       -> array0: EMPLOYEEID, COACHNAME, SUBJECT, CARTYPE, STATE ("0" not yet
//                             evaluated, "1" evaluated), STATENAME
//   chEvaluateMethod       -> array0: ITEMID, ITEMNAME
//   saveEvaluateMethod     <- EMPLOYEEID, ITEMIDS, SCORES, CONTENT as above
//   addMailMethod          <- TITLE, CONTENT
//   checkNoticeMethod      -> array0: NID, TITLE, PREDATE, CONTENT
//
// Appeal service, action "app/queryStudentHour": form fields `param` (JSON text with TALKID,
// USERCODE, QUERY_TYPE and the fields below), `v` (short version), `sequenceNo` (a number new
// for every request), `type` ("1", the phone client); replies code/data/message:
//   "1" <- SUBJECT               -> data: [{MONTH "yyyy-MM", INFO: [{RECORDDATE, ALLEFFECTTIME}]}]
//   "2" <- RECORDDATE            -> data: [{RECORDID, SUBJECT, RECORDDATE, STARTTIME, ENDTIME,
//                                            EFFECTTIME (minutes), COACHNAME, CARNO}]
//   "3" <- RECORDID              -> data: [{PHOTOTIME, PHOTOURL}]
//   "4"                          -> data: [{APPEALID, RECORDID, RECORDDATE, STARTTIME, ENDTIME,
//                                            REASON, STATE ("0" 处理中, "1" 已通过, "2" 未通过),
//                                            STATENAME, APPEALDATE, ANSWER}]
//   "5" <- RECORDID, REASON      -> data: {APPEALID}; code 1 with a message when refused
//   "6" <- RECORDID              -> data: {INPROCESS "1" or "0"}
//   "7" <- SUBJECT, HOURTYPE     -> data: {ISOPEN "1" or "0"}

#include "app/services/RequestFields.h"
#include "app/services/ServiceRoad.h"
#include "platform/foundation/NSDictionary.h"

class UIView;

namespace RecordsService {

inline constexpr const char* kDistribute = "sysbl/ctop/dt/interface/distri/distribute";
inline constexpr const char* kAppealAction = "app/queryStudentHour";

// A main-service request; the reply reaches `done` (nil for a transport failure).
void sendMain(const std::shared_ptr<NSMutableDictionary>& fields, std::function<void(const id& reply)> done);
// An appeal-service request of that QUERY_TYPE with the fields inside `param`; `done` gets the
// reply, nil for a transport failure.
void sendAppeal(const NSString& queryType, const std::shared_ptr<NSDictionary>& param, std::function<void(const id& reply)> done);
// The `param` object of such a request, as sent.
std::shared_ptr<NSMutableDictionary> appealParam(const NSString& queryType, const std::shared_ptr<NSDictionary>& param);

// True when a main reply's retCode is 0.
bool mainSucceeded(const id& reply);
// True when an appeal reply's code is 0.
bool appealSucceeded(const id& reply);
// The message of a failed reply, or the fallback.
NSString failureText(const id& reply, const NSString& fallback);
// The appeal reply's data as an array of dictionaries (empty for anything else).
std::shared_ptr<NSArray> appealRows(const id& reply);
// The row's fields that a request cannot go without, as RequestFields::required takes them: the
// caller asks complete() before it sends, and shows its error text instead.
RequestFields requiredFields(const std::shared_ptr<NSDictionary>& row, std::initializer_list<const char*> keys);
// Whether every one of the fields is there; otherwise the screen shows its error text.
bool rowUsable(const std::shared_ptr<NSDictionary>& row, std::initializer_list<const char*> keys);
// A record's effective training, "%@分钟" with its EFFECTTIME as the service sent it.
NSString minutesText(const std::shared_ptr<NSDictionary>& record);
// The screens' error text, in the HUD over the view.
void showUnusable(const std::shared_ptr<UIView>& view);

} // namespace RecordsService
