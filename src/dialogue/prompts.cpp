#include "dialogue/prompts.h"

#include <algorithm>

#include "textio/text_utils.h"

namespace quillon::dialogue {

using textio::ReadStatus;

ReadStatus getstr(textio::Console& console, std::string_view prompt, std::string& answer) {
  console.write("(1X,A,A$)", textio::trimmed(prompt), " ");
  std::string reply;
  const ReadStatus status = console.read_text(reply, 80);
  if (status != ReadStatus::ok)
    return status;
  if (textio::s_len_trim(reply) == 0)
    return ReadStatus::ok;
  std::size_t first = 0;
  while (reply[first] == ' ')
    ++first;
  reply.erase(0, first);
  reply.resize(80, ' ');
  if (answer.size() <= 80) {
    answer = reply.substr(0, answer.size());
  } else {
    std::copy(reply.begin(), reply.end(), answer.begin());
    std::fill(answer.begin() + 80, answer.end(), ' ');
  }
  return ReadStatus::ok;
}

}  // namespace quillon::dialogue
