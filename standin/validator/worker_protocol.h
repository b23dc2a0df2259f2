// What a worker process tells the validator, one line each, behind a
// marker, so that anything the module itself prints is told apart:
//   @validate cases 24             how many cases the check has
//   @validate case 3 command=0,... the parameters of case 3
//   @validate unlisted <why>       the cases could not be listed
//   @validate begin 3              case 3 starts
//   @validate note 3 <text>        what case 3 measured
//   @validate trace <line>         one line of the host calls, for --trace
//   @validate pass 3 / fail 3 <what was seen>
//   @validate done                 every case asked for has ended
#pragma once

#include <string>

namespace standin::validator::protocol {

inline constexpr const char *kMarker = "@validate ";

// `text` on one line: line ends become spaces.
std::string OneLine(std::string text);

}  // namespace standin::validator::protocol
