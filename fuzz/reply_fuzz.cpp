// Any datagram from the server's address, cleaned as the link cleans it.
#include <algorithm>

#include "fuzz_support.h"
#include "link/reply.h"

using namespace vorstel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view datagram = fuzz::Bytes(data, size);
    const std::string clean = CleanReply(datagram);

    // Every line feed comes out as CR LF: a lone LF never reaches the parsers.
    for (std::size_t i = 0; i < clean.size(); ++i)
        if (clean[i] == '\n') FUZZ_CHECK(i > 0 && clean[i - 1] == '\r');
    // Only "print" goes and only a CR before each LF comes in.
    const std::string_view body = size >= kReplyHeaderLength ? datagram.substr(kReplyHeaderLength) : datagram;
    const auto feeds = std::count(body.begin(), body.end(), '\n');
    FUZZ_CHECK(std::count(clean.begin(), clean.end(), '\n') == feeds);
    FUZZ_CHECK(clean.size() <= body.size() + static_cast<std::size_t>(feeds));
    FUZZ_CHECK((body.size() + static_cast<std::size_t>(feeds) - clean.size()) % 5 == 0);
    return 0;
}
