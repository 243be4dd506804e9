#pragma once
// The learner's video-learning account, as the video service's login check describes it: theory
// hours and limits per subject, the seconds learned, and the flags that open the video list.

#include "platform/foundation/NSString.h"

class VideoStUser : public NSObject {
    NS_OBJECT(VideoStUser, NSObject)
public:
    // A record filled from the `data` object of a login-check reply whose code is 0; nil for any
    // other reply.
    static std::shared_ptr<VideoStUser> videoStUserFromLoginCheckReply(const id& reply);

    const NSString& theoryHours() const { return m_theoryHours; }
    void setTheoryHours(const NSString& value) { m_theoryHours = value; }
    const NSString& theoryHours2() const { return m_theoryHours2; }
    void setTheoryHours2(const NSString& value) { m_theoryHours2 = value; }
    const NSString& theoryHours3() const { return m_theoryHours3; }
    void setTheoryHours3(const NSString& value) { m_theoryHours3 = value; }
    const NSString& value0() const { return m_value0; }
    void setValue0(const NSString& value) { m_value0 = value; }
    const NSString& value1() const { return m_value1; }
    void setValue1(const NSString& value) { m_value1 = value; }
    const NSString& value2() const { return m_value2; }
    void setValue2(const NSString& value) { m_value2 = value; }
    NSInteger sub1time() const { return m_sub1time; }
    void setSub1time(NSInteger value) { m_sub1time = value; }
    NSInteger sub2time() const { return m_sub2time; }
    void setSub2time(NSInteger value) { m_sub2time = value; }
    NSInteger sub3time() const { return m_sub3time; }
    void setSub3time(NSInteger value) { m_sub3time = value; }
    const NSString& isPower() const { return m_isPower; }
    void setIsPower(const NSString& value) { m_isPower = value; }
    const NSString& sub1AllTime() const { return m_sub1AllTime; }
    void setSub1AllTime(const NSString& value) { m_sub1AllTime = value; }
    const NSString& sub2AllTime() const { return m_sub2AllTime; }
    void setSub2AllTime(const NSString& value) { m_sub2AllTime = value; }
    const NSString& sub3AllTime() const { return m_sub3AllTime; }
    void setSub3AllTime(const NSString& value) { m_sub3AllTime = value; }
    const NSString& distanceEduation() const { return m_distanceEduation; }
    void setDistanceEduation(const NSString& value) { m_distanceEduation = value; }
    const NSString& isOpenOrbipay() const { return m_isOpenOrbipay; }
    void setIsOpenOrbipay(const NSString& value) { m_isOpenOrbipay = value; }

private:
    NSString m_theoryHours;
    NSString m_theoryHours2;
    NSString m_theoryHours3;
    NSString m_value0;
    NSString m_value1;
    NSString m_value2;
    NSInteger m_sub1time { 0 };
    NSInteger m_sub2time { 0 };
    NSInteger m_sub3time { 0 };
    NSString m_isPower;
    NSString m_sub1AllTime;
    NSString m_sub2AllTime;
    NSString m_sub3AllTime;
    NSString m_distanceEduation;
    NSString m_isOpenOrbipay;
};
