#include "app/session/Constant.h"

#include "platform/foundation/TypedValues.h"

#include <array>

NSString Constant::getSubjectName(const id& subject)
{
    switch (ns::intValue(subject)) {
    case 1:
        return "科目一";
    case 2:
        return "科目二";
    case 3:
        return "科目三";
    default:
        return "";
    }
}

NSString Constant::getTypeName(const id& type)
{
    switch (ns::intValue(type)) {
    case 0:
        return "理论";
    case 1:
        return "模拟";
    case 2:
        return "实操";
    default:
        return "";
    }
}

NSString Constant::getGovStatus(const NSString& status)
{
    static constexpr std::array<std::pair<const char*, const char*>, 12> kStatuses { {
        { "01", "已报名" },
        { "02", "科一送审" },
        { "03", "科一审批不通过" },
        { "04", "科一审批通过" },
        { "05", "科二送审" },
        { "06", "科二审批不通过" },
        { "07", "科二审批通过" },
        { "08", "科三送审" },
        { "09", "科三审批不通过" },
        { "10", "科三审批通过" },
        { "11", "结业" },
        { "12", "退学" },
    } };
    if (status.isNil())
        return "";
    for (const auto& [code, name] : kStatuses) {
        if (status.isEqualToString(code))
            return name;
    }
    return "";
}
