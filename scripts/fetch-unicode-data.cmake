# cmake -DDEST=<folder> -P scripts/fetch-unicode-data.cmake
#
# Puts the four Unicode Character Database files that the companion tools'
# character tables are made from into DEST, and CLDR's plurals.xml, which
# the run-time library's plural rules are made from, into
# DEST/cldr/common/supplemental (Debian's layout under /usr/share/unicode),
# for hosts without Debian's unicode-data and unicode-cldr-core packages (the
# Windows and macOS jobs). The versions and the SHA-256 sums are those of the
# files Debian ships (Unicode 15.0.0, CLDR 41), so every host builds the same
# tables. Configure with -DTEXTRESGEN_UNICODE_DATA_DIR=<DEST>
# -DTEXTRESGEN_CLDR_PLURALS=<DEST>/cldr/common/supplemental/plurals.xml.
cmake_minimum_required(VERSION 3.25)
if(NOT DEST)
  message(FATAL_ERROR "usage: cmake -DDEST=<folder> -P fetch-unicode-data.cmake")
endif()
set(version 15.0.0)
set(files
  DerivedCoreProperties.txt d367290bc0867e6b484c68370530bdd1a08b6b32404601b8c7accaf83e05628d
  DerivedAge.txt 7570877e0fa197c45338f7c41a02636da4e14c8dba6a3611a01cd30bf329d5ca
  PropList.txt e05c0a2811d113dae4abd832884199a3ea8d187ee1b872d8240a788a96540bfd
  UnicodeData.txt 806e9aed65037197f1ec85e12be6e8cd870fc5608b4de0fffd990f689f376a73)
while(files)
  list(POP_FRONT files name sha256)
  file(DOWNLOAD "https://www.unicode.org/Public/${version}/ucd/${name}" "${DEST}/${name}"
       EXPECTED_HASH SHA256=${sha256} STATUS status TLS_VERIFY ON)
  list(GET status 0 code)
  if(NOT code EQUAL 0)
    message(FATAL_ERROR "could not fetch ${name} of Unicode ${version}: ${status}")
  endif()
endwhile()

set(cldr_version 41)
set(plurals common/supplemental/plurals.xml)
file(DOWNLOAD "https://raw.githubusercontent.com/unicode-org/cldr/release-${cldr_version}/${plurals}"
     "${DEST}/cldr/${plurals}"
     EXPECTED_HASH SHA256=c0345021eaff7a0e38ee7e8fc58532e2e36ec5137b6c2497905e2bcf1be1b5b3
     STATUS status TLS_VERIFY ON)
list(GET status 0 code)
if(NOT code EQUAL 0)
  message(FATAL_ERROR "could not fetch ${plurals} of CLDR ${cldr_version}: ${status}")
endif()
