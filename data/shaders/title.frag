#version 410 core

// A full-screen image blended by its own alpha, keeping the image's proportions on any screen.
//
// The image is scaled to cover the screen and centred, so a screen narrower than the image
// loses some of its sides and a wider one some of its top and bottom; the central SAFE_AREA of
// the image (three quarters of each side: every screen from 4:3 to 64:27, 2560 x 1080, when
// the image is 16:9) is never cut. A screen of a shape outside that range shows the safe area
// whole and leaves bars at the sides, or at the top and bottom, where nothing is drawn. At the
// image's own shape it fills the screen exactly.
//
// vertical  scrolls the image: it rises from below, 1.0 shows it in place and larger values
//           carry it on upwards, at one screen height per unit. Where the shifted image does
//           not cover the screen nothing is drawn, although the texture itself repeats.
//
// The screen's size comes from the screen-space derivatives of the quad's texture coordinate,
// rounded to whole pixels: unrounded, their error of a tenth of a pixel or so would shift
// the image by a fraction of a texel, differently in each block of pixels.

uniform sampler2D image;
uniform float vertical;

in vec2 texcoord;

out vec4 fragColor;

const vec2 SAFE_AREA = vec2(0.75, 0.75);

// The part of the image the screen shows, as a fraction of the image along each axis.
vec2 shownPart(float screenAspect, float imageAspect) {
    vec2 cover = screenAspect < imageAspect ? vec2(screenAspect / imageAspect, 1.0)
                                            : vec2(1.0, imageAspect / screenAspect);
    return cover * max(1.0, max(SAFE_AREA.x / cover.x, SAFE_AREA.y / cover.y));
}

void main() {
    vec2 imageSize = vec2(textureSize(image, 0));
    vec2 screenSize = round(1.0 / max(abs(vec2(dFdx(texcoord.x), dFdy(texcoord.y))), vec2(1.0e-9)));
    vec2 shown = shownPart(screenSize.x / screenSize.y, imageSize.x / imageSize.y);

    // Written so that an image of the screen's own shape (shown == 1) is sampled at exactly
    // the quad's coordinates.
    vec2 t = texcoord + (texcoord - 0.5) * (shown - 1.0);
    t.y += (vertical - 1.0) * shown.y;
    // Keep linear filtering from reaching across the repeat into the opposite edge. Sampled
    // before the discard below: past it, the neighbouring fragments that texture() takes its
    // derivatives from may have left, and with mipmaps the level would be undefined.
    vec2 halfTexel = 0.5 / imageSize;
    vec4 texel = texture(image, clamp(t, halfTexel, 1.0 - halfTexel));
    if (any(lessThan(t, vec2(0.0))) || any(greaterThan(t, vec2(1.0)))) discard;
    fragColor = texel;
}
