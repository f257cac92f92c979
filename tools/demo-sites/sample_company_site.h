// The sample company's own web site on the demo server: the pages, pictures, download and PAD
// file that the sample company's and product's records point at.
#pragma once

#include <string>

namespace httplib {
struct Response;
}

namespace quillora {

// The size the sample product's record declares for its download ("File_Size_Bytes").
inline constexpr size_t kSampleDownloadSize = 4718592;

// Answers a request to one of the sample company's host names ("sample-company",
// "mirror.sample-company", "store"); false when the host is none of them.
bool ServeSampleCompany(const std::string& host_label, const std::string& method,
                        const std::string& path, httplib::Response& res);

// The sample product's PAD file.
const std::string& SamplePadXml();

}  // namespace quillora
