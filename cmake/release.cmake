# The release this source is.  Its version is the project's, set once at
# the top of CMakeLists.txt; its date is that of the version's entry in
# CHANGELOG.md, which the manual page shows, and docs/debian-changelog
# must begin with the same version.  Two builds of the same source give
# the same bytes, whenever and wherever they are made, with git or without.

string(REPLACE "." "[.]" vorlane_version_pattern "${PROJECT_VERSION}")
file(STRINGS ${PROJECT_SOURCE_DIR}/CHANGELOG.md vorlane_release ENCODING UTF-8
  REGEX "^## ${vorlane_version_pattern} — [0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]$" LIMIT_COUNT 1)
if(NOT vorlane_release)
  message(FATAL_ERROR "CHANGELOG.md has no entry for version ${PROJECT_VERSION}: "
    "add a heading '## ${PROJECT_VERSION} — YYYY-MM-DD' with what changed")
endif()
string(REGEX REPLACE "^.* — " "" VORLANE_RELEASE_DATE "${vorlane_release}")

file(STRINGS ${PROJECT_SOURCE_DIR}/docs/debian-changelog vorlane_debian_release LIMIT_COUNT 1)
if(NOT vorlane_debian_release MATCHES "^vorlane \\(${vorlane_version_pattern}\\) ")
  message(FATAL_ERROR "docs/debian-changelog begins with '${vorlane_debian_release}', "
    "not with an entry for version ${PROJECT_VERSION}")
endif()

# The time stamped into the packages: SOURCE_DATE_EPOCH where the
# environment sets it, else midnight (UTC) of the release date, which a
# git checkout and a plain copy of the same tree both have.  One set when
# the packages are made comes first (see packaging.cmake); CMake run
# again by a build reads the environment as any run does.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(VORLANE_SOURCE_DATE_EPOCH "$ENV{SOURCE_DATE_EPOCH}")
else()
  # Days since 1970-01-01 of the release date, by the civil calendar.
  string(REGEX MATCHALL "[0-9]+" vorlane_ymd "${VORLANE_RELEASE_DATE}")
  list(GET vorlane_ymd 0 y)
  list(GET vorlane_ymd 1 m)
  list(GET vorlane_ymd 2 d)
  math(EXPR m "${m}")
  math(EXPR d "${d}")
  if(m LESS_EQUAL 2)
    math(EXPR y "${y} - 1")
    math(EXPR m "${m} + 9")
  else()
    math(EXPR m "${m} - 3")
  endif()
  math(EXPR era "${y} / 400")
  math(EXPR yoe "${y} - ${era} * 400")
  math(EXPR doy "(153 * ${m} + 2) / 5 + ${d} - 1")
  math(EXPR doe "${yoe} * 365 + ${yoe} / 4 - ${yoe} / 100 + ${doy}")
  math(EXPR VORLANE_SOURCE_DATE_EPOCH "(${era} * 146097 + ${doe} - 719468) * 86400")
endif()
