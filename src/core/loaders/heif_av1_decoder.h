#pragma once
// libheif's AV1 decoding on dav1d, done by a decoder of our own that libheif calls in place of
// its built-in one. Both hand libheif the same planes of the picture, but the built-in one lets
// dav1d decode with frame threads and waits for the picture by asking again and again: on a
// machine of two cores that waiting thread takes a core from the decoding ones. Ours asks
// dav1d for no frame delay, so that the picture is decoded while it waits and the calling
// thread sleeps, with dav1d's threads on every core as before.

namespace glintora {

// Registers the decoder with libheif, above every AV1 decoder libheif has, once for the
// process: every AV1 picture decoded after it, in any thread, goes through it.
void UseOwnAv1Decoder();

}  // namespace glintora
