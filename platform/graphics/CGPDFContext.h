#pragma once
// PDF documents. Device space is the page in points, origin at the bottom left; every page
// starts with a fresh graphics state.

#include "platform/graphics/CGContext.h"
#include "platform/graphics/CGDataConsumer.h"

class CGPDFContext : public CGContext {
    NS_OBJECT(CGPDFContext, CGContext)
public:
    ~CGPDFContext() override;

    void beginPage(const CGRect* mediaBox);
    void endPage();
    // Writes the rest of the document; drawing afterwards does nothing.
    void close();

protected:
    bool init(CGDataConsumerRef consumer, CGRect mediaBox);

private:
    CGDataConsumerRef m_consumer;
    CGRect m_mediaBox;
    bool m_inPage { false };
    bool m_closed { false };
};

// A null media box means the platform's default letter-size page.
CGContextRef CGPDFContextCreate(const CGDataConsumerRef& consumer, const CGRect* mediaBox, const void* auxiliaryInfo);
void CGPDFContextBeginPage(const CGContextRef& c, const void* pageInfo);
void CGPDFContextEndPage(const CGContextRef& c);
void CGPDFContextClose(const CGContextRef& c);
void CGContextBeginPage(const CGContextRef& c, const CGRect* mediaBox);
void CGContextEndPage(const CGContextRef& c);
