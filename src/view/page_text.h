#pragma once
/// The text of what the log view shows, for the clipboard: the lines of
/// the telegram at a place of the view, or of every telegram on the page,
/// rendered as the view renders them, one line per line feed.

#include <string>

#include "view/view_state.h"

namespace qlxs {

struct LogState;

/// The lines of the telegram drawn at height `y` of the log view's page,
/// whole (also when the page showed only some of its objects); empty when
/// no telegram is drawn there or the log view is not shown.
std::string TelegramTextAt(LogState& m, ViewState& v, int y);

/// The lines of every telegram on the log view's page, in page order, with
/// an empty line after each; in the online view those of the telegrams of
/// the online ring it has drawn, oldest first.
std::string PageText(LogState& m, ViewState& v);

}  // namespace qlxs
