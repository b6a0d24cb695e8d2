# The verification test's data (qvxres::verify in VerifyResources.h, whose ids are read here): the
# two verification message templates (TEXT 700, 701), the fonts the tests send (BIN 702 to 711),
# and the play status file (BIN 712). The templates are one line without a final line end: their
# bytes are the message's, C3 B8 in the second included.
#
# The fonts are the display makers' data and are not part of this repository. standin/ holds
# stand-ins of the real sizes: a line "QVX STAND-IN FONT <name>: not the display maker's font", a zero
# byte, then at each further offset i the byte i mod 256:
# fine for tests and the stand-in controller, not for a real display. To carry the real fonts, name
# them when configuring (each option may be given alone):
#
#   cmake -S . -B build -DQVX_FONT_FW08X5_1=/path/to/FW08X5_1.FNT -DQVX_FONT_18X11_3=... \
#     -DQVX_FONT_08X06_2=... -DQVX_FONT_15X08_2=... -DQVX_FONT_16X08_2=... -DQVX_FONT_22X15_3=... \
#     -DQVX_FONT_FUJ23X15=... -DQVX_FONT_FUJ31X13=... \
#     -DQVX_FONT_HTCH_16X16N=/path/to/16X16N.CFF -DQVX_FONT_HTCH_FONT2432=/path/to/FONT2432.CMD
#
# A real file of another size than the font's is embedded with a warning (another edition, maybe).
set(_qvx_verify_dir ${CMAKE_CURRENT_LIST_DIR})
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_qvx_verify_dir}/VerifyResources.h)
file(STRINGS ${_qvx_verify_dir}/VerifyResources.h _qvx_verify_ids REGEX "^constexpr int k[A-Za-z0-9_]+ = [0-9]+;")
foreach(_qvx_line IN LISTS _qvx_verify_ids)
  string(REGEX MATCH "^constexpr int k([A-Za-z0-9_]+) = ([0-9]+);" _qvx_match "${_qvx_line}")
  set(QVX_VERIFY_ID_${CMAKE_MATCH_1} ${CMAKE_MATCH_2})
endforeach()

function(_qvx_verify_id out key)
  if(NOT DEFINED QVX_VERIFY_ID_${key})
    message(FATAL_ERROR "res/verify/VerifyResources.h has no id k${key}")
  endif()
  set(${out} ${QVX_VERIFY_ID_${key}} PARENT_SCOPE)
endfunction()

_qvx_verify_id(_qvx_id MessageOneTemplate)
qvx_embed_resource(TYPE TEXT ID ${_qvx_id} FILE ${_qvx_verify_dir}/templates/MsgOne.m2t)
_qvx_verify_id(_qvx_id MessageTwoTemplate)
qvx_embed_resource(TYPE TEXT ID ${_qvx_id} FILE ${_qvx_verify_dir}/templates/MsgTwo.m2t)
_qvx_verify_id(_qvx_id PlayStatus)
qvx_embed_resource(TYPE BIN ID ${_qvx_id} FILE ${_qvx_verify_dir}/playstatus.dat)

# qvx_verify_font(<key> <name on the controller> <size>): QVX_FONT_<key> names the real file;
# the stand-in is standin/<key with the extension of the name>.
function(qvx_verify_font key name size)
  set(QVX_FONT_${key} "" CACHE FILEPATH "The display maker's ${name} to embed instead of the stand-in")
  _qvx_verify_id(id Font${key})
  set(file "${QVX_FONT_${key}}")
  if(file)
    get_filename_component(file "${file}" ABSOLUTE BASE_DIR "${CMAKE_BINARY_DIR}")
    if(NOT EXISTS "${file}" OR IS_DIRECTORY "${file}")
      message(FATAL_ERROR "${name}: no font file at ${file}")
    endif()
    file(SIZE "${file}" actual)
    if(NOT actual EQUAL size)
      message(WARNING "${name}: ${file} has ${actual} bytes, the font has ${size}")
    endif()
  else()
    get_filename_component(extension "${name}" LAST_EXT)
    set(file ${_qvx_verify_dir}/standin/${key}${extension})
  endif()
  qvx_embed_resource(TYPE BIN ID ${id} FILE ${file})
endfunction()

qvx_verify_font(FW08X5_1 "FW08X5_1.FNT" 1176)
qvx_verify_font(18X11_3 "18X11_3.FNT" 4938)
qvx_verify_font(08X06_2 "08X06_2.FNT" 1218)
qvx_verify_font(15X08_2 "15X08_2.FNT" 2490)
qvx_verify_font(16X08_2 "16X08_2.FNT" 2626)
qvx_verify_font(22X15_3 "22X15_3.FNT" 6252)
qvx_verify_font(FUJ23X15 "FUJ23X15.FNT" 5439)
qvx_verify_font(FUJ31X13 "FUJ31X13.FNT" 8032)
qvx_verify_font(HTCH_16X16N "HTCH\\16X16N.CFF" 3271)
qvx_verify_font(HTCH_FONT2432 "HTCH\\FONT2432.CMD" 16329)
