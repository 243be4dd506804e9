#include "platform/graphics/CGDataConsumer.h"

CGDataConsumer::~CGDataConsumer()
{
    if (m_file)
        std::fclose(m_file);
}

bool CGDataConsumer::init(const std::string& path)
{
    m_file = std::fopen(path.c_str(), "wb");
    return m_file != nullptr;
}

bool CGDataConsumer::write(const unsigned char* bytes, std::size_t length)
{
    if (m_failed)
        return false;
    if (m_buffer)
        m_buffer->insert(m_buffer->end(), bytes, bytes + length);
    else if (!m_file || std::fwrite(bytes, 1, length, m_file) != length)
        m_failed = true;
    return !m_failed;
}

CGDataConsumerRef CGDataConsumerCreateWithCFData(std::shared_ptr<std::vector<std::uint8_t>> data)
{
    if (!data)
        return nullptr;
    return CGDataConsumer::create(std::move(data));
}

CGDataConsumerRef CGDataConsumerCreateWithFilename(const std::string& path)
{
    return CGDataConsumer::create(path);
}
