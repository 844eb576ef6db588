#include "firmware_file.h"

#include "common/atomic_file.h"

#include <fstream>
#include <iterator>
#include <memory>
#include <openssl/evp.h>
#include <openssl/provider.h>

namespace tft::ide {

namespace {

// 8-4-4-4-12 hexadecimal digits, hashed without a terminator.
constexpr char kPassPhrase[] = "7A3E91C4-5B2D-4F86-9E10-C3D84A6F2B57";
static_assert(sizeof kPassPhrase - 1 == 36, "the pass phrase has the form of a GUID");

// RC4 lives in OpenSSL's legacy provider; the default one stays loaded for
// everything else. Both are released when the program ends.
struct Providers {
    Providers()
        : legacy(OSSL_PROVIDER_load(nullptr, "legacy")),
          standard(OSSL_PROVIDER_load(nullptr, "default")) {}
    ~Providers() {
        if (legacy)
            OSSL_PROVIDER_unload(legacy);
        if (standard)
            OSSL_PROVIDER_unload(standard);
    }
    OSSL_PROVIDER* legacy;
    OSSL_PROVIDER* standard;
};

bool loadLegacy() {
    static const Providers providers;
    return providers.legacy && providers.standard;
}

} // namespace

std::vector<unsigned char> firmwareKey() {
    std::vector<unsigned char> key(EVP_MAX_MD_SIZE);
    unsigned int size = 0;
    if (EVP_Digest(kPassPhrase, sizeof kPassPhrase - 1, key.data(), &size, EVP_md5(), nullptr) != 1)
        return {};
    key.resize(size);
    return key;
}

bool firmwareCipher(const std::vector<unsigned char>& in, std::vector<unsigned char>& out,
                    std::string* error) {
    const auto fail = [error](const char* why) {
        if (error)
            *error = why;
        return false;
    };
    if (!loadLegacy())
        return fail("the cryptography library has no RC4 (legacy provider missing)");
    std::unique_ptr<EVP_CIPHER, decltype(&EVP_CIPHER_free)> rc4(
        EVP_CIPHER_fetch(nullptr, "RC4", nullptr), &EVP_CIPHER_free);
    std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> ctx(EVP_CIPHER_CTX_new(),
                                                                        &EVP_CIPHER_CTX_free);
    const std::vector<unsigned char> key = firmwareKey();
    if (!rc4 || !ctx || key.size() != 16)
        return fail("the cryptography library has no RC4");
    const unsigned int keyLength = 16;
    const OSSL_PARAM params[] = {
        OSSL_PARAM_construct_uint("keylen", const_cast<unsigned int*>(&keyLength)),
        OSSL_PARAM_construct_end()};
    if (EVP_CipherInit_ex2(ctx.get(), rc4.get(), nullptr, nullptr, 1, params) != 1 ||
        EVP_CipherInit_ex2(ctx.get(), nullptr, key.data(), nullptr, 1, nullptr) != 1)
        return fail("cannot set up RC4");
    out.assign(in.size() + 16, 0);
    int written = 0, tail = 0;
    if (EVP_CipherUpdate(ctx.get(), out.data(), &written, in.data(), int(in.size())) != 1 ||
        EVP_CipherFinal_ex(ctx.get(), out.data() + written, &tail) != 1)
        return fail("RC4 failed");
    out.resize(std::size_t(written + tail));
    return true;
}

std::string convertFirmwareFile(const std::string& source, bool encrypt, std::string* error) {
    std::ifstream in(source, std::ios::binary);
    std::vector<unsigned char> plain;
    if (in)
        plain.assign(std::istreambuf_iterator<char>(in), {});
    if (!in.good() && !in.eof()) {
        plain.clear();
    }
    if (plain.empty()) {
        if (error)
            *error = "nothing to convert in " + source;
        return {};
    }
    std::vector<unsigned char> result;
    if (!firmwareCipher(plain, result, error))
        return {};
    const std::string target = source + (encrypt ? ".crypt" : ".hex");
    if (!writeFileAtomically(
            target, std::string_view(reinterpret_cast<const char*>(result.data()), result.size()),
            error))
        return {};
    return target;
}

} // namespace tft::ide
