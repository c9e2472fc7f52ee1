#pragma once

// Building handheld database files byte by byte in tests.

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace tessarin::test {

template <typename T>
std::vector<T> Concat(std::initializer_list<std::vector<T>> parts) {
    std::vector<T> out;
    for (const std::vector<T>& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

// The 78-byte header of a handheld resource database named "Icons" without info blocks, for
// `entries` entries; the entry list, two bytes of padding and the resources' data follow it.
inline std::vector<uint8_t> IconFileHeader(uint8_t entries) {
    std::vector<uint8_t> header = {
        'I',  'c',  'o',  'n',  's', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // name
        0,    0,    0,    0,    0,   0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  //
        0,    1,                                                       // attributes: resources
        0,    1,                                                       // version
        0xB5, 0x2D, 0x7A, 0x00,                                        // created
        0xB5, 0x2D, 0x7A, 0x00,                                        // modified
        0,    0,    0,    0,                                           // backed up
        0,    0,    0,    3,                                           // modification number
        0,    0,    0,    0,                                           // application info
        0,    0,    0,    0,                                           // sort info
        'b',  'm',  'p',  's',                                         // type
        'T',  's',  'I',  'c',                                         // creator
        0,    0,    0,    0,                                           // unique id seed
        0,    0,    0,    0,                                           // further entry list
        0,    0,                                                       // entries
    };
    header[77] = entries;
    return header;
}

}  // namespace tessarin::test
