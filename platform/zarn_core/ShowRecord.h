#pragma once

#include <string>

namespace cmn {

// An installed show as shows.json lists it. Default-constructible and copyable: it
// travels in queued signals.
struct ShowRecord
{
    std::string id;
    std::string folder;       // relative to the data folder; a plain name
    std::string showName;
    std::string customerName;
    std::string authHash;     // the credential every server request carries
    std::string apiBaseUrl;   // empty: the store's

    const std::string& AuthenticationHash() const { return authHash; }

    bool operator==(const ShowRecord&) const = default;
};

} // namespace cmn
