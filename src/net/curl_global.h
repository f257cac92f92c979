// libcurl's process-wide start, made once before the first handle by whichever transfer or page
// request comes first.
#pragma once

namespace quillora {

void EnsureCurlStarted();

}  // namespace quillora
