#pragma once
// Expected console texts of the frames and of the sad face, written out by hand.

#include <string>

namespace qx::testkit {

inline const std::string kStarRule = " **************************************************\n";
inline const std::string kSlashRule = " //////////////////////////////////////////////////\n";
inline const std::string kAtRule = " @@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@\n";
inline const std::string kHitReturn = " ===> HIT RETURN TO CONTINUE\n";

// The three closing lines of the tails, after their pause.
inline const std::string kErrorEnd = kStarRule + " ***                 ERROR END                  ***\n" + kStarRule;
inline const std::string kWarningEnd =
    kSlashRule + " ///                WARNING END                 ///\n" + kSlashRule;

// name13: the 13 columns of the name field.
inline std::string error_head(const std::string& name13) {
  return kStarRule + kStarRule +
         " ***                                            ***\n"
         " ***          subroutine " +
         name13 +
         "          ***\n"
         " ***                   ERROR                    ***\n"
         " ***                                            ***\n" +
         kStarRule + kStarRule;
}

inline std::string warning_head(const std::string& name13) {
  return kSlashRule + " ///          subroutine " + name13 + "          ///\n" +
         " ///                  WARNING                   ///\n" + kSlashRule;
}

// A whole error frame around the caller's lines, its pause answered.
inline std::string error_frame(const std::string& name13, const std::string& lines) {
  return error_head(name13) + lines + kHitReturn + kErrorEnd;
}

inline std::string menu_head(const std::string& title_line) {
  return kAtRule + title_line + " @=================================================\n";
}

inline const std::string kSorryFace =
    "  \n"
    "                    &&&&&&&&&&&&            \n"
    "                &&                &&        \n"
    "             &&                      &&     \n"
    "           &&                          &&   \n"
    "          &&                            &&  \n"
    "         &&                              && \n"
    "         &        &&&          &&&        & \n"
    "        &&        &&&          &&&        &&\n"
    "        &&                                &&\n"
    "        &&                                &&\n"
    "        &&                                &&\n"
    "         &          &&&&&&&&&&&&          & \n"
    "         &&      &&&            &&&      && \n"
    "          &&   &&                  &&   &&  \n"
    "           &&                          &&   \n"
    "             &&                      &&     \n"
    "                &&                &&        \n"
    "                    &&&&&&&&&&&&            \n"
    "  \n";

}  // namespace qx::testkit
