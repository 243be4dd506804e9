#include "platform/graphics/CGPDFContext.h"

CGPDFContext::~CGPDFContext()
{
    close();
}

namespace {

std::shared_ptr<CGPDFContext> pdf(const CGContextRef& c) { return std::dynamic_pointer_cast<CGPDFContext>(c); }

} // namespace

CGContextRef CGPDFContextCreate(const CGDataConsumerRef& consumer, const CGRect* mediaBox, const void*)
{
    return CGPDFContext::create(consumer, mediaBox ? *mediaBox : CGRectMake(0, 0, 612, 792));
}

void CGPDFContextBeginPage(const CGContextRef& c, const void*)
{
    if (auto context = pdf(c))
        context->beginPage(nullptr);
}

void CGPDFContextEndPage(const CGContextRef& c)
{
    if (auto context = pdf(c))
        context->endPage();
}

void CGPDFContextClose(const CGContextRef& c)
{
    if (auto context = pdf(c))
        context->close();
}

void CGContextBeginPage(const CGContextRef& c, const CGRect* mediaBox)
{
    if (auto context = pdf(c))
        context->beginPage(mediaBox);
}

void CGContextEndPage(const CGContextRef& c)
{
    if (auto context = pdf(c))
        context->endPage();
}
