# The demo's store of stand-in displays, shared by the demo and the Wine tests (which compare the
# Windows tool's job over it with the Linux tool's). Sourced, not run.
#   COM1: 'Lobby' at 1 on old firmware in the customer protocol at 115200; 'Pharmacy' at 2, current, at 19200
#   COM2: 'Gate' at 9, a HITECH display; address 7 never answers
demo_store=(--port 1 --rate 115200 --addr 1 --protocol pellworth --firmware FX40211-1.01.05 --addr 2@19200
            --port 2 --rate 115200 --addr 9 --protocol hitech)

# The display list: 48-line records (name, -, height, width, 5 lines, addresses, 11 lines, port,
# rate, 25 lines), written with Windows line ends as store systems write it.
demo_record() { # name addresses port rate
  local lines=()
  for _ in $(seq 1 48); do lines+=(""); done
  lines[0]=$1; lines[2]=16; lines[3]=80; lines[9]=$2; lines[21]=COM$3; lines[22]=$4
  printf '%s\r\n' "${lines[@]}"
}
write_demo_display_list() { # file
  {
    demo_record Lobby 1 1 115200
    demo_record Pharmacy 2 1 19200
    demo_record Gate "9, 7" 2 115200
  } >"$1"
}
