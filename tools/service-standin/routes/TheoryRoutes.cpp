// Theory study: the learner's exams, those ahead and those sat, in the order the service keeps them.
#include "tools/service-standin/StandInContext.h"

namespace standin {

namespace {

void examInformation(StandInContext& context, const Fields& fields, httplib::Response& response)
{
    Session session;
    if (!context.liveSession(field(fields, "TALKID"), session, false, response))
        return;
    auto rows = context.query("select subject as SUBJECT, examseqno as EXAMSEQNO, examdate as EXAMDATE, "
                              "examstarttime as EXAMSTARTTIME, examendtime as EXAMENDTIME, examresult as EXAMRESULT, "
                              "examstate as EXAMSTATE from theory_exam where usercode = ?1 order by ordinal",
        { session.usercode });
    reply(response, mainEnvelope("0", "成功", { rows }));
}

} // namespace

void addTheoryRoutes(Routes& routes)
{
    routes.mainMethods["checkExamMethod"] = examInformation;
}

} // namespace standin
