// Any proxy list, bypass list and address are read without a crash, and a proxy named
// is one libcurl can take.
#include "FuzzInput.h"
#include "telemetry/ProxyRules.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::string> pieces = inputPieces(inputText(data, size), '\n');
  const std::string& list = pieces[0];
  const std::string bypass = pieces.size() > 1 ? pieces[1] : std::string();
  const std::string url = pieces.size() > 2 ? pieces[2] : std::string("http://127.0.0.1/");
  const std::string proxy = proxyFromList(list, url);
  FUZZ_CHECK(proxy.empty() || proxy.find("://") != std::string::npos);
  bypassesProxy(bypass, url);
  urlScheme(url);
  urlHost(url);
  return 0;
}
