#pragma once
/// The type list and the cause lists: which causes of transmission each
/// type identification may be sent with.
///
/// Type k of the type list (1-based position, its "group") has the cause
/// list in language text 1009 + k; text 1009 (group 0) lists every defined
/// cause and serves types outside the list. In the language file a list is
/// written as two-digit decimal numbers ("030520" = causes 3, 5, 20);
/// `ConvertCauseLists` turns those texts into strings whose character codes
/// are the causes, right after every load.
///
/// All queries read the language text table and the type list of
/// `T_TextTable` (`TxtList`, `TypStr`, `maxpicktyp`); they never fail: a
/// position, group or cause outside its range gives 0 or false.

#include <string>
#include <string_view>
#include <vector>

#include "model/text_table.h"

namespace qlxs {

/// Language text of the first number list: the causes of group 0, every defined cause.
inline constexpr int kTextFirstNumberList = 1009;

/// Decodes a list of two-digit decimal numbers into the string of the
/// characters with those codes. A final single character is dropped, and so
/// is every pair that is not two decimal digits.
std::string DecodeNumberList(std::string_view text);

/// Replaces texts 1009, 1010, ... of `texts` by their decoded lists and
/// stops after the first one that decodes to nothing (or at the end of the
/// table).
void ConvertCauseLists(std::vector<std::string>& texts);

/// The type at 1-based `position` of the type list; 0 when the position is
/// below 1 or beyond the list.
int TypeAt(const T_TextTable& v, int position);
/// The group of `type`: its 1-based position in the type list, 0 when the
/// type is not in it.
int TypeGroup(const T_TextTable& v, int type);

/// Whether `cause` (1..63) occurs in the cause list of `group`. False for a
/// cause below 1 and for a group outside 0..maxpicktyp.
bool CausePermitted(const T_TextTable& v, int group, int cause);
/// The cause at 1-based `index` of the cause list of `group`; 0 when there
/// is none.
int CauseAt(const T_TextTable& v, int group, int index);
/// The 1-based position of `cause` in the cause list of `group`; 0 when it
/// is not in it.
int CauseIndex(const T_TextTable& v, int group, int cause);

}  // namespace qlxs
