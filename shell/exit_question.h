// The text of the exit question, built from the string table.
#pragma once

#include <string>

// A string-table text whole, whatever its length; empty when missing.
std::string loadWholeText(int id);

// IDS_ASK_EXIT, with `all` after IDS_CLOSE_ALL_PREFIX: each text whole, so a
// longer translation of either is neither cut nor written past its buffer.
std::string exitQuestionText(int all);
