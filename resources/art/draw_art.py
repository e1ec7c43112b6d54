#!/usr/bin/python3
"""Draws the main window's pictures: the background whose alpha shapes the window (PNG 155),
the minimise and close buttons (PNG 131, 137) and the window icon (icon 160).

    /usr/bin/python3 resources/art/draw_art.py [OUTPUT_FOLDER]

Needs Debian's python3-pil and fonts-dejavu-core. Same inputs, same bytes: no randomness,
no time stamps. The window's layout fixes the places used here: the login page at
524,140-1113,623, the progress bar at 523,640 (556 x 8), the label at 446,637, the
minimise button at 1033,98 (27 x 27) and the close button at 1073,95 (39 x 39).
"""
import math
import os
import sys

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont

W, H = 1280, 725
FONT_BOLD = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"
FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"
SS = 4  # supersampling of shapes, for smooth edges


def lerp(a, b, t):
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


def vertical_gradient(size, top, bottom):
    w, h = size
    column = Image.new("RGB", (1, h))
    for y in range(h):
        column.putpixel((0, y), lerp(top, bottom, y / max(1, h - 1)))
    return column.resize((w, h))


def silhouette():
    """The window's shape: a wide panel with rounded corners, a crest rising over its top
    edge on the left, where the title sits, and a tab under the controls on the right."""
    mask = Image.new("L", (W * SS, H * SS), 0)
    d = ImageDraw.Draw(mask)
    s = SS
    d.rounded_rectangle([40 * s, 80 * s, 1240 * s, 700 * s], radius=36 * s, fill=255)
    # Crest behind the title: a shield-like rise with a pointed top.
    d.polygon([(120 * s, 84 * s), (170 * s, 34 * s), (300 * s, 14 * s), (430 * s, 34 * s),
               (480 * s, 84 * s)], fill=255)
    d.ellipse([150 * s, 10 * s, 450 * s, 170 * s], fill=255)
    # Notches that break the rectangle's outline.
    d.ellipse([-30 * s, 330 * s, 70 * s, 450 * s], fill=0)
    d.ellipse([1210 * s, 330 * s, 1310 * s, 450 * s], fill=0)
    mask = mask.resize((W, H), Image.LANCZOS)
    # A soft rim: the alpha falls over a few pixels, so both sides of 120 occur at every edge.
    return mask.filter(ImageFilter.GaussianBlur(2.2))


def background():
    alpha = silhouette()
    art = vertical_gradient((W, H), (18, 30, 66), (6, 10, 26)).convert("RGBA")
    d = ImageDraw.Draw(art, "RGBA")

    # A dusk sky on the left with a low sun and two ranges of mountains.
    glow = Image.new("L", (W, H), 0)
    ImageDraw.Draw(glow).ellipse([120, 260, 480, 620], fill=255)
    glow = glow.filter(ImageFilter.GaussianBlur(60))
    sun = Image.new("RGBA", (W, H), (255, 170, 90, 0))
    sun.putalpha(glow.point(lambda v: v * 150 // 255))
    art = Image.alpha_composite(art, sun)
    d = ImageDraw.Draw(art, "RGBA")
    d.ellipse([255, 395, 345, 485], fill=(255, 214, 150, 235))

    def ridge(base, amplitude, period, phase, colour):
        points = [(40, 700)]
        for x in range(40, 441, 4):
            y = base - amplitude * (0.6 * math.sin(x / period + phase) + 0.4 * math.sin(x / (period * 0.37) + phase * 2))
            points.append((x, y))
        points.append((440, 700))
        d.polygon(points, fill=colour)

    ridge(520, 60, 70, 0.8, (34, 44, 92, 255))
    ridge(585, 40, 45, 2.1, (20, 26, 58, 255))
    ridge(640, 22, 30, 4.0, (11, 15, 36, 255))

    # The page's frame and the bar's track on a darker plate.
    d.rounded_rectangle([430, 88, 1140, 676], radius=18, fill=(10, 16, 40, 235), outline=(78, 128, 214, 255), width=2)
    d.line([(446, 138), (1124, 138)], fill=(40, 64, 120, 255), width=1)
    d.rectangle([523, 139, 1114, 624], fill=(235, 240, 248, 255))
    # The status strip: the black label text needs a light ground.
    d.rounded_rectangle([440, 632, 1092, 659], radius=8, fill=(214, 224, 240, 255))
    d.text((818, 381), "Kavran", font=ImageFont.truetype(FONT, 22), fill=(150, 162, 186, 255), anchor="mm")
    d.rectangle([521, 638, 1080, 649], fill=(4, 8, 22, 255))

    # The title on the crest, with a faint glow.
    title_font = ImageFont.truetype(FONT_BOLD, 64)
    shadow = Image.new("RGBA", (W, H), (0, 0, 0, 0))
    ImageDraw.Draw(shadow).text((300, 100), "Kavran", font=title_font, fill=(90, 160, 255, 200), anchor="mm")
    art = Image.alpha_composite(art, shadow.filter(ImageFilter.GaussianBlur(8)))
    d = ImageDraw.Draw(art, "RGBA")
    d.text((300, 100), "Kavran", font=title_font, fill=(244, 246, 255, 255), anchor="mm")
    d.text((300, 150), "O N L I N E", font=ImageFont.truetype(FONT, 18), fill=(170, 196, 240, 255), anchor="mm")

    # A thin bright rim just inside the shape.
    rim = ImageChops.subtract(alpha.point(lambda v: 255 if v >= 120 else 0),
                              alpha.point(lambda v: 255 if v >= 250 else 0).filter(ImageFilter.MinFilter(5)))
    rim_layer = Image.new("RGBA", (W, H), (96, 150, 240, 0))
    rim_layer.putalpha(rim.point(lambda v: v * 170 // 255))
    art = Image.alpha_composite(art, rim_layer)

    art.putalpha(alpha)
    values = set(alpha.getdata())
    assert 119 in values and 120 in values, "the rim must hold alpha 119 and 120"
    return art


def round_button(size, glyph):
    big = size * 8
    img = Image.new("RGBA", (big, big), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    d.ellipse([0, 0, big - 1, big - 1], fill=(24, 92, 196, 255))
    d.ellipse([big * 0.06, big * 0.06, big * 0.94, big * 0.94], fill=(44, 132, 232, 255))
    d.ellipse([big * 0.14, big * 0.08, big * 0.86, big * 0.5], fill=(104, 178, 255, 120))
    w = max(8, round(big * 0.12))
    c = big / 2
    r = big * 0.24
    if glyph == "minus":
        d.rounded_rectangle([c - r, c - w / 2, c + r, c + w / 2], radius=w / 2, fill=(255, 255, 255, 255))
    else:
        for sign in (1, -1):
            d.line([(c - r, c - sign * r), (c + r, c + sign * r)], fill=(255, 255, 255, 255), width=w)
    return img.resize((size, size), Image.LANCZOS)


def icon(size=256):
    big = size * 4
    img = Image.new("RGBA", (big, big), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    d.rounded_rectangle([0, 0, big - 1, big - 1], radius=big * 0.22, fill=(20, 40, 96, 255))
    d.rounded_rectangle([big * 0.05, big * 0.05, big * 0.95, big * 0.95], radius=big * 0.18, fill=(36, 110, 220, 255))
    d.text((big / 2, big * 0.53), "K", font=ImageFont.truetype(FONT_BOLD, round(big * 0.66)), fill=(255, 255, 255, 255), anchor="mm")
    return img.resize((size, size), Image.LANCZOS)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    save = dict(optimize=False, compress_level=9)
    background().save(os.path.join(out, "background155.png"), **save)
    round_button(27, "minus").save(os.path.join(out, "minimize131.png"), **save)
    round_button(39, "cross").save(os.path.join(out, "close137.png"), **save)
    emblem = icon()
    emblem.save(os.path.join(out, "icon160.ico"), sizes=[(16, 16), (32, 32), (48, 48), (256, 256)])
    emblem.resize((64, 64), Image.LANCZOS).save(os.path.join(out, "icon160.png"), **save)


if __name__ == "__main__":
    main()
