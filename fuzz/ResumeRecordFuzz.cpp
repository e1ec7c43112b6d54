// A record read is one that prints and reads back the same, with a validator that can
// go back to the server as it is.
#include "FuzzInput.h"
#include "delivery/PackageRecord.h"
#include "delivery/ResponseHead.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  PackageRecord record;
  if (!parsePackageRecord(std::string(inputText(data, size)), record)) return 0;
  FUZZ_CHECK(isUsableValidator(record.validator));
  PackageRecord again;
  FUZZ_CHECK(parsePackageRecord(packageRecordText(record), again));
  FUZZ_CHECK(again.url == record.url && again.validator == record.validator && again.size == record.size &&
             again.complete == record.complete);
  return 0;
}
