#pragma once
// What a caller of an image load keeps to stop it again, whatever the object behind it.

class RIImageOperation {
public:
    virtual ~RIImageOperation() = default;
    virtual void cancel() = 0;
};

inline constexpr const char* RIImageErrorDomain = "RIImageErrorDomain";

// Codes of RIImageErrorDomain.
enum RIImageErrorCode : long {
    RIImageErrorNilURL = -1,
    RIImageErrorNotAnImage = 0, // bytes that decode to nothing: the server's fault, for good
    RIImageErrorIncompleteData = 1, // bytes that stop before the image ends: worth another try
};
