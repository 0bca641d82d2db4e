#!/usr/bin/env bash
# Makes the GIFs that the reader is checked on, with the build machine's own
# encoders (ImageMagick and netpbm), into the folder given: many sizes (rows
# and columns of one pixel, interlaced heights 1 to 8, one picture large
# enough to fill the code table many times), palettes of 2 to 256 colours,
# interlaced and not, transparency, several frames.
set -euo pipefail
out="$1"
rm -rf "$out"
mkdir -p "$out"
convert=/usr/bin/convert
n=0
for size in 1x1 3x2 7x1 1x9 5x3 31x17 64x64 257x3 120x90; do
  for colours in 2 5 16 77 256; do
    for interlace in none GIF; do
      n=$((n + 1))
      "$convert" -seed "$n" -size "$size" plasma:fractal +dither -colors "$colours" -interlace "$interlace" \
        "$out/im-$size-$colours-$interlace.gif"
    done
  done
done
# Every height that ends inside one of the four interlace passes.
for h in 1 2 3 4 5 6 7 8; do
  "$convert" -seed "$h" -size "9x$h" plasma:fractal +dither -colors 9 ppm:- | pamtogif -interlace >"$out/nb-9x$h-il.gif" 2>/dev/null
done
# netpbm's encoder, with and without its codes left uncompressed.
"$convert" -seed 7 -size 90x70 plasma:fractal +dither -colors 200 ppm:- | pamtogif >"$out/nb-90x70.gif" 2>/dev/null
"$convert" -seed 8 -size 90x70 plasma:fractal +dither -colors 60 ppm:- | pamtogif -nolzw >"$out/nb-90x70-nolzw.gif" 2>/dev/null
# Large and noisy: the code table fills and is cleared many times.
"$convert" -seed 9 -size 640x480 plasma:fractal +noise Random +dither -colors 256 "$out/im-640x480-noise.gif"
"$convert" -seed 10 -size 400x300 plasma:fractal +noise Random +dither -colors 256 -interlace GIF "$out/im-400x300-noise-il.gif"
# Black and white, transparency, an animation (frame 0 is compared).
"$convert" -size 33x21 pattern:checkerboard -monochrome "$out/im-33x21-mono.gif"
"$convert" -seed 11 -size 40x30 plasma:fractal +dither -colors 30 -transparent "$("$convert" -seed 11 -size 1x1 plasma:fractal -format '%[pixel:p{0,0}]' info:)" "$out/im-40x30-transparent.gif"
"$convert" -delay 10 -loop 0 -size 20x20 xc:red -size 20x20 xc:blue -size 20x20 gradient:green-yellow "$out/im-20x20-anim.gif"
