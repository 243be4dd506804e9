// Inputs built to be slow for the parsers beneath the URL loading system and for the archive
// decoder: each must cost time in proportion to its length at most. Read the fitted complexity
// each benchmark reports (BigO, RMS): it must stay "N" (or below), never "N^2".
#include "framework/Source/PECodingRegistry.h"
#include "framework/Source/PEXYPlotSpace.h"
#include "platform/foundation/NSKeyedArchiver.h"
#include "platform/foundation/NSKeyedUnarchiver.h"
#include "platform/foundation/NSPropertyListSerialization.h"
#include "platform/foundation/NSXMLParser.h"
#include "platform/net/NSURL.h"
#include "platform/net/NSURLConnection.h"
#include "tests/net/ConnectionRecorder.h"
#include "tests/net/RawServer.h"
#include "tests/support/Waiting.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

// range(0): bytes of "../" resolved against a base, then as many segments climbed out of.
void BM_URLResolution(benchmark::State& state)
{
    const auto count = std::size_t(state.range(0)) / 3;
    std::string up;
    for (std::size_t i = 0; i < count; ++i)
        up += "../";
    const NSString relative(up + "g");
    auto base = NSURL::URLWithString("http://a/b/c/d");
    for (auto _ : state) {
        auto resolved = NSURL::URLWithString(relative, base);
        benchmark::DoNotOptimize(resolved->absoluteString());
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_URLResolution)->RangeMultiplier(4)->Range(1 << 14, 1 << 20)->Complexity();

class Listener : public NSXMLParserDelegate {
public:
    std::size_t attributes { 0 };
    void didStartElement(NSXMLParser&, const NSString&, const NSString&, const NSString&, const std::shared_ptr<NSDictionary>& found) override
    {
        attributes += found->count();
    }
};

// `total` attributes (or namespace declarations), `perTag` in each tag.
std::string documentWithAttributes(std::size_t total, std::size_t perTag, const char* name)
{
    std::string xml = "<r>";
    for (std::size_t done = 0; done < total;) {
        xml += "<e";
        for (std::size_t i = 0; i < perTag && done < total; ++i, ++done)
            xml += " " + std::string(name) + std::to_string(i) + "='urn:v'";
        xml += "/>";
    }
    return xml + "</r>";
}

void parseRepeatedly(benchmark::State& state, const std::string& xml)
{
    auto data = NSData::dataWithBytes(xml.data(), xml.size());
    auto listener = std::make_shared<Listener>();
    for (auto _ : state) {
        auto parser = NSXMLParser::create(data);
        parser->setDelegate(listener);
        parser->setShouldProcessNamespaces(true);
        benchmark::DoNotOptimize(parser->parse());
    }
    state.SetComplexityN(state.range(0));
}

// range(0): attributes, all in one tag: refused once the look before reading counts one past the
// limit, whatever follows.
void BM_XMLAttributesInOneTag(benchmark::State& state)
{
    parseRepeatedly(state, documentWithAttributes(std::size_t(state.range(0)), std::size_t(state.range(0)), "a"));
}
BENCHMARK(BM_XMLAttributesInOneTag)->RangeMultiplier(4)->Range(16 << 10, 256 << 10)->Complexity();

// range(0): namespace declarations, all in one tag.
void BM_XMLDeclarationsInOneTag(benchmark::State& state)
{
    parseRepeatedly(state, documentWithAttributes(std::size_t(state.range(0)), std::size_t(state.range(0)), "xmlns:p"));
}
BENCHMARK(BM_XMLDeclarationsInOneTag)->RangeMultiplier(4)->Range(16 << 10, 256 << 10)->Complexity();

// range(0): attributes in tags as full as they may be: read, in time linear in the document.
void BM_XMLFullTags(benchmark::State& state)
{
    parseRepeatedly(state, documentWithAttributes(std::size_t(state.range(0)), NSXMLParser::maxAttributesPerElement, "a"));
}
BENCHMARK(BM_XMLFullTags)->RangeMultiplier(4)->Range(16 << 10, 256 << 10)->Complexity();

// range(0): elements after a document type declaring as many defaults for them as an element
// may carry; 200,000 of them (804 KB) would deliver 51 million attributes. Refused once the
// defaults delivered pass their bound, so the time levels off.
void BM_XMLDeclaredDefaults(benchmark::State& state)
{
    std::string xml = "<!DOCTYPE r [";
    for (std::size_t i = 0; i < NSXMLParser::maxAttributesPerElement; ++i)
        xml += "<!ATTLIST e d" + std::to_string(i) + " CDATA 'v'>";
    xml += "]><r>";
    for (std::int64_t i = 0; i < state.range(0); ++i)
        xml += "<e/>";
    parseRepeatedly(state, xml + "</r>");
}
BENCHMARK(BM_XMLDeclaredDefaults)->RangeMultiplier(4)->Range(1 << 10, 200'000)->Unit(benchmark::kMillisecond)->Complexity();

// The same with defaults that declare namespaces, which the reader delivers apart from the
// defaulted attributes; counted with them, the time levels off as well.
void BM_XMLNamespaceDefaults(benchmark::State& state)
{
    std::string xml = "<!DOCTYPE r [";
    for (std::size_t i = 0; i < NSXMLParser::maxAttributesPerElement; ++i)
        xml += "<!ATTLIST e xmlns:p" + std::to_string(i) + " CDATA 'urn:" + std::to_string(i) + "'>";
    xml += "]><r>";
    for (std::int64_t i = 0; i < state.range(0); ++i)
        xml += "<e/>";
    parseRepeatedly(state, xml + "</r>");
}
BENCHMARK(BM_XMLNamespaceDefaults)->RangeMultiplier(4)->Range(1 << 10, 200'000)->Unit(benchmark::kMillisecond)->Complexity();

void readPropertyListRepeatedly(benchmark::State& state, const std::string& list)
{
    const auto data = NSData::dataWithBytes(list.data(), list.size());
    for (auto _ : state)
        benchmark::DoNotOptimize(NSPropertyListSerialization::propertyListWithData(data, 0, nullptr));
    state.SetComplexityN(state.range(0));
}

// range(0): bytes of "<date " run together before one date, which the look at a property
// list's markup once went over again from each.
void BM_PropertyListRunTogetherDates(benchmark::State& state)
{
    std::string list = "<plist><array>";
    while (list.size() < std::size_t(state.range(0)))
        list += "<date ";
    readPropertyListRepeatedly(state, list + "<date>2026-12-08T05:25:28Z</date></array></plist>");
}
BENCHMARK(BM_PropertyListRunTogetherDates)->RangeMultiplier(4)->Range(64 << 10, 4 << 20)->Complexity();

// range(0): bytes of "<array/" run together before one '>'.
void BM_PropertyListRunTogetherArrays(benchmark::State& state)
{
    std::string list = "<plist>";
    while (list.size() < std::size_t(state.range(0)))
        list += "<array/";
    readPropertyListRepeatedly(state, list + "></plist>");
}
BENCHMARK(BM_PropertyListRunTogetherArrays)->RangeMultiplier(4)->Range(64 << 10, 4 << 20)->Complexity();

// range(0): bytes of a sound list of dates, each under a comment that names one: the reference
// for the two above, read whole.
void BM_PropertyListDates(benchmark::State& state)
{
    std::string list = "<plist><array>";
    while (list.size() < std::size_t(state.range(0)))
        list += "<!-- <date> --><date>2026-12-08T05:25:28Z</date>";
    readPropertyListRepeatedly(state, list + "</array></plist>");
}
BENCHMARK(BM_PropertyListDates)->RangeMultiplier(4)->Range(64 << 10, 4 << 20)->Unit(benchmark::kMillisecond)->Complexity();

// range(0): elements given one declared default of a megabyte; 20,000 of them (1.1 MB) would
// deliver 20 GB of attribute text. Refused once the defaults' bytes pass their bound, so the time
// levels off.
void BM_XMLLongDeclaredDefault(benchmark::State& state)
{
    std::string xml = "<!DOCTYPE r [<!ATTLIST e a CDATA '" + std::string(1 << 20, 'v') + "'>]><r>";
    for (std::int64_t i = 0; i < state.range(0); ++i)
        xml += "<e/>";
    parseRepeatedly(state, xml + "</r>");
}
BENCHMARK(BM_XMLLongDeclaredDefault)->RangeMultiplier(4)->Range(1 << 10, 20'000)->Unit(benchmark::kMillisecond)->Complexity();

// range(0): references in an archive to an array of as many references to one string, beside a
// plot space whose identifier makes the decoder keep its owning links: 100,000 make 200 KB. Each
// reference once searched all of the array's again.
void BM_ArchiveRepeatedReferences(benchmark::State& state)
{
    PECodingRegistry::registerEngineClasses();
    const auto count = std::size_t(state.range(0));
    const id held = NSArray::create(std::vector<id>(count, static_cast<id>(NSString("leaf"))));
    auto space = PEXYPlotSpace::create();
    space->setIdentifier(NSArray::arrayWithObjects({ space, NSArray::create(std::vector<id>(count, held)) }));
    const auto archive = NSKeyedArchiver::archivedDataWithRootObject(space);
    space->setIdentifier(nullptr);
    for (auto _ : state) {
        if (!NSKeyedUnarchiver::unarchiveObjectWithData(archive))
            state.SkipWithError("archive refused");
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ArchiveRepeatedReferences)->RangeMultiplier(4)->Range(1 << 10, 100'000)->Unit(benchmark::kMillisecond)->Complexity();

// range(0): folded lines continuing one header field, in a reply from a loopback server, up to
// the thousand a reply may fold. The request's own round trip is the constant part.
void BM_FoldedHeaderLines(benchmark::State& state)
{
    std::string reply = "HTTP/1.1 200 OK\r\nX-Folded: start\r\n";
    for (std::int64_t i = 0; i < state.range(0); ++i)
        reply += " x\r\n";
    reply += "Content-Length: 0\r\nConnection: close\r\n\r\n";
    RawServer server(reply);
    auto request = NSURLRequest::requestWithURL(NSURL::URLWithString(NSString(server.URL())));
    for (auto _ : state) {
        auto recorder = std::make_shared<ConnectionRecorder>();
        auto connection = NSURLConnection::connectionWithRequest(request, recorder);
        if (!testing_support::runLoopUntil([&] { return recorder->ended(); }, 60) || !recorder->response)
            state.SkipWithError("no reply");
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_FoldedHeaderLines)->RangeMultiplier(2)->Range(128, 1000)->Complexity()->UseRealTime();

} // namespace

BENCHMARK_MAIN();
