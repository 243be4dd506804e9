#pragma once
// Only the decoder makes the codec's collections; this key is how it proves it.

class JSONDecoder;

class JCCollectionKey {
    JCCollectionKey() = default;
    friend class JSONDecoder;
};
