#pragma once
// The logged-in learner or officer, as the main service's login reply describes them. The
// application delegate holds the one current record; screens read it from there.

#include "platform/foundation/NSString.h"

class User : public NSObject {
    NS_OBJECT(User, NSObject)
public:
    // A record filled from a login reply whose retCode is 0, nil for any other reply. The update
    // fields come from the array0 rows, the person from array1's first row, whose SESSIONID is
    // stored in the user defaults; the password is the one the user typed.
    static std::shared_ptr<User> userFromLoginReply(const id& reply, const NSString& password);

    const NSString& version() const { return m_version; }
    void setVersion(const NSString& value) { m_version = value; }
    const NSString& updateContent() const { return m_updateContent; }
    void setUpdateContent(const NSString& value) { m_updateContent = value; }
    const NSString& downLoadUrl() const { return m_downLoadUrl; }
    void setDownLoadUrl(const NSString& value) { m_downLoadUrl = value; }
    const NSString& isForce() const { return m_isForce; }
    void setIsForce(const NSString& value) { m_isForce = value; }
    const NSString& userCode() const { return m_userCode; }
    void setUserCode(const NSString& value) { m_userCode = value; }
    const NSString& phone() const { return m_phone; }
    void setPhone(const NSString& value) { m_phone = value; }
    const NSString& password() const { return m_password; }
    void setPassword(const NSString& value) { m_password = value; }
    const NSString& cardNo() const { return m_cardNo; }
    void setCardNo(const NSString& value) { m_cardNo = value; }
    const NSString& name() const { return m_name; }
    void setName(const NSString& value) { m_name = value; }
    const NSString& uid() const { return m_uid; }
    void setUid(const NSString& value) { m_uid = value; }
    const NSString& carType() const { return m_carType; }
    void setCarType(const NSString& value) { m_carType = value; }
    const NSString& admissionDate() const { return m_admissionDate; }
    void setAdmissionDate(const NSString& value) { m_admissionDate = value; }
    const NSString& govStatus() const { return m_govStatus; }
    void setGovStatus(const NSString& value) { m_govStatus = value; }
    const NSString& epName() const { return m_epName; }
    void setEpName(const NSString& value) { m_epName = value; }
    const NSString& urlImg() const { return m_urlImg; }
    void setUrlImg(const NSString& value) { m_urlImg = value; }
    const NSString& subject() const { return m_subject; }
    void setSubject(const NSString& value) { m_subject = value; }
    NSInteger distanceEduation() const { return m_distanceEduation; }
    void setDistanceEduation(NSInteger value) { m_distanceEduation = value; }
    const NSString& jxImgUrl() const { return m_jxImgUrl; }
    void setJxImgUrl(const NSString& value) { m_jxImgUrl = value; }
    const NSString& stuapplicationId() const { return m_stuapplicationId; }
    void setStuapplicationId(const NSString& value) { m_stuapplicationId = value; }

private:
    NSString m_version;
    NSString m_updateContent;
    NSString m_downLoadUrl;
    NSString m_isForce;
    NSString m_userCode;
    NSString m_phone;
    NSString m_password;
    NSString m_cardNo;
    NSString m_name;
    NSString m_uid;
    NSString m_carType;
    NSString m_admissionDate;
    NSString m_govStatus;
    NSString m_epName;
    NSString m_urlImg;
    NSString m_subject;
    NSInteger m_distanceEduation { 0 };
    NSString m_jxImgUrl;
    NSString m_stuapplicationId;
};
