#pragma once
/// The telegram log: a ring of 32 KiB blocks in one file, the block being
/// written, the reader and the online ring.

namespace qlxs {

struct TelegramLog {};

}  // namespace qlxs
