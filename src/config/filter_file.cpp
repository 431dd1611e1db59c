#include "config/filter_file.h"

#include <cstring>

#include "model/typed_file.h"
#include "platform/file_system.h"

namespace qlxs {

bool ReadFilterFile(const std::string& path, T_Filter& out, std::string& why) {
  why.clear();
  const auto fail = [&](const std::string& reason) {
    why = reason;
    return false;
  };
  TypedFile f;
  if (const int rc = f.OpenRead(path, 1); rc != 0) return fail(IoResultText(rc));
  const int64_t size = f.SizeInRecords();
  if (size < 0) return fail(IoResultText(kIoNotOpen));
  if (size != kFilterFileSize)
    return fail("it is " + std::to_string(size) + " bytes long; a filter file has exactly " +
                std::to_string(kFilterFileSize));
  T_Filter filter;
  if (const int rc = f.Read(0, kFilterFileSize, &filter); rc != 0) return fail(IoResultText(rc));
  if (filter.lg != kFilterFileSize)
    return fail("its length word is " + std::to_string(filter.lg) + ", not " + std::to_string(kFilterFileSize) +
                "; it is not a filter file");
  out = filter;
  return true;
}

bool WriteFilterFile(const std::string& path, const T_Filter& filter, std::string& why) {
  why.clear();
  T_Filter record = filter;
  record.lg = kFilterFileSize;
  const int rc = WriteFileReplacing(path, std::string(reinterpret_cast<const char*>(&record), sizeof record));
  if (rc == 0) return true;
  why = IoResultText(rc);
  return false;
}

}  // namespace qlxs
