#pragma once
// Where a PDF context's bytes go: a byte buffer that grows, or a file.

#include "platform/foundation/NSObject.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

class CGDataConsumer : public NSObject {
    NS_OBJECT(CGDataConsumer, NSObject)
public:
    ~CGDataConsumer() override;
    // False once a write has failed; later writes are dropped.
    bool write(const unsigned char* bytes, std::size_t length);

protected:
    void init(std::shared_ptr<std::vector<std::uint8_t>> buffer) { m_buffer = std::move(buffer); }
    bool init(const std::string& path);

private:
    std::shared_ptr<std::vector<std::uint8_t>> m_buffer;
    std::FILE* m_file { nullptr };
    bool m_failed { false };
};

using CGDataConsumerRef = std::shared_ptr<CGDataConsumer>;

CGDataConsumerRef CGDataConsumerCreateWithCFData(std::shared_ptr<std::vector<std::uint8_t>> data);
// Nil when the file cannot be created.
CGDataConsumerRef CGDataConsumerCreateWithFilename(const std::string& path);
