# NORVA_CACHE_DIR: where scripts/setup.sh keeps what it builds or makes once (jsoncpp for
# each target, the Wine prefixes, the Hebrew locale). The script's rule: $NORVA_CACHE when
# set, else ~/.cache/norva. Read by the toolchain files and the build alike.
if(NOT "$ENV{NORVA_CACHE}" STREQUAL "")
  set(NORVA_CACHE_DIR "$ENV{NORVA_CACHE}")
else()
  set(NORVA_CACHE_DIR "$ENV{HOME}/.cache/norva")
endif()
