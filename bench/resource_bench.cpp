// Resource loading speed: our OBJ and 3DS readers against assimp reading the
// same files in the same run, and decoding a 60-second stereo Ogg file
// (against a bare libvorbisfile decode loop as the floor).
//
// The mesh is a 250 x 240 vertex grid (60,000 vertices) with one cell in six
// left open, about 99,000 triangles in eight material bands; the 3DS file
// holds it as two objects, because a 3DS object counts its faces in 16 bits.
// The sound is made with sox and oggenc (quality 4).
//
// Scaling checks for small hostile files: an OBJ naming one material
// library N times, and a 3DS file of N materials each used by one face
// group; both should cost about twice as much at twice N.
#include "resources/CModel.h"
#include "resources/CSound.h"
#include "resources/Model3dsReader.h"
#include "resources/ObjReader.h"
#include "tests/resources/ModelFileWriters.h"
#include "tests/resources/SoundTestFiles.h"

#include <assimp/Importer.hpp>
#include <assimp/scene.h>
#include <benchmark/benchmark.h>
#include <vorbis/vorbisfile.h>

#include <cstdio>
#include <filesystem>
#include <unistd.h>

namespace {

struct BenchFiles {
    std::filesystem::path folder;
    std::string obj, threeDs, ogg;
    bool soundOk = false;

    BenchFiles()
    {
        folder = std::filesystem::temp_directory_path() / ("qf-resource-bench-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
        TestMesh grid = makeGridMesh(249, 239, 8);
        TestMesh mesh = grid;
        mesh.triangles.clear();
        mesh.faceMaterial.clear();
        for (std::size_t cell = 0; cell * 6 < grid.triangles.size(); ++cell) {
            if (cell % 6 == 5)
                continue;
            mesh.triangles.insert(mesh.triangles.end(), grid.triangles.begin() + std::ptrdiff_t(cell * 6),
                                  grid.triangles.begin() + std::ptrdiff_t(cell * 6 + 6));
            mesh.faceMaterial.insert(mesh.faceMaterial.end(), {grid.faceMaterial[cell * 2], grid.faceMaterial[cell * 2]});
        }
        mesh.objectStarts = {std::uint32_t(mesh.triangles.size() / 6)};
        obj = (folder / "grid.obj").string();
        threeDs = (folder / "grid.3ds").string();
        writeObjFile(folder.string(), "grid.obj", "grid.mtl", mesh);
        writeBinaryFile(threeDs, make3dsFile(mesh));
        const std::string wav = (folder / "music.wav").string();
        ogg = (folder / "music.ogg").string();
        soundOk = makeSineWav(wav, 44100, 60) && makeOgg(wav, ogg);
    }
    ~BenchFiles() { std::filesystem::remove_all(folder); }
};

BenchFiles& files()
{
    static BenchFiles instance;
    return instance;
}

void reportModel(benchmark::State& state, const CModel& model)
{
    state.counters["vertices"] = model.getShape().getVertexCount();
    state.counters["triangles"] = model.getShape().getIndexCount() / 3;
}

void BM_ObjOurs(benchmark::State& state)
{
    CModel model;
    for (auto _ : state) {
        if (!loadObjFile(files().obj.c_str(), model, nullptr))
            state.SkipWithError("OBJ not read");
    }
    reportModel(state, model);
}

void BM_ObjAssimp(benchmark::State& state)
{
    for (auto _ : state) {
        Assimp::Importer importer;
        const aiScene* scene = importer.ReadFile(files().obj, 0);
        if (!scene)
            state.SkipWithError("assimp could not read the OBJ");
        benchmark::DoNotOptimize(scene);
    }
}

void BM_3dsOurs(benchmark::State& state)
{
    CModel model;
    for (auto _ : state) {
        if (!load3dsFile(files().threeDs.c_str(), model, nullptr))
            state.SkipWithError("3DS not read");
    }
    reportModel(state, model);
}

void BM_3dsAssimp(benchmark::State& state)
{
    for (auto _ : state) {
        Assimp::Importer importer;
        const aiScene* scene = importer.ReadFile(files().threeDs, 0);
        if (!scene)
            state.SkipWithError("assimp could not read the 3DS");
        benchmark::DoNotOptimize(scene);
    }
}

void BM_Ogg60sOurs(benchmark::State& state)
{
    if (!files().soundOk) {
        state.SkipWithError("sox or oggenc missing");
        return;
    }
    CSound sound;
    for (auto _ : state) {
        if (!sound.loadOgg(files().ogg.c_str()))
            state.SkipWithError("Ogg not decoded");
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * sound.getDataSize());
}

void BM_Ogg60sVorbisfileLoop(benchmark::State& state)
{
    if (!files().soundOk) {
        state.SkipWithError("sox or oggenc missing");
        return;
    }
    std::vector<char> pcm;
    for (auto _ : state) {
        OggVorbis_File file;
        if (ov_fopen(files().ogg.c_str(), &file) != 0) {
            state.SkipWithError("Ogg not opened");
            break;
        }
        pcm.resize(std::size_t(ov_pcm_total(&file, -1)) * 4);
        std::size_t filled = 0;
        int link = 0;
        long got;
        while (filled < pcm.size() && (got = ov_read(&file, pcm.data() + filled, int(pcm.size() - filled), 0, 2, 1, &link)) > 0)
            filled += std::size_t(got);
        ov_clear(&file);
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(pcm.size()));
}

}  // namespace

void BM_ObjRepeatedLibrary(benchmark::State& state)
{
    // The file is its own library (as "mtllib self.obj" makes it), so every
    // re-read would cost the whole file.
    const int n = static_cast<int>(state.range(0));
    std::string text = "v 0 0 0\nv 1 0 0\nv 0 1 0\n";
    for (int i = 0; i < n; ++i)
        text += "newmtl m" + std::to_string(i) + "\nKd 0.5 0.5 0.5\nmtllib self.obj\nusemtl m" +
                std::to_string(i) + "\nf 1 2 3\n";
    const MaterialLibraryLoader loader = [&](const std::string&, std::vector<std::uint8_t>& bytes) {
        bytes.assign(text.begin(), text.end());
        return true;
    };
    for (auto _ : state) {
        ModelMesh mesh;
        readObj(reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), loader, mesh, nullptr);
        benchmark::DoNotOptimize(mesh.indices.size());
    }
    state.SetComplexityN(n);
}
BENCHMARK(BM_ObjRepeatedLibrary)->Arg(4000)->Arg(8000)->Arg(16000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);

void BM_3dsManyMaterials(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    Chunk3ds editor(0x3D3D);
    for (int m = 0; m < n; ++m)
        editor.child(Chunk3ds(0xAFFF).child(Chunk3ds(0xA000).text("material" + std::to_string(m))));
    Chunk3ds faces(0x4120);
    faces.u16(1).u16(0).u16(1).u16(2).u16(0);
    for (int m = 0; m < n; ++m)
        faces.child(Chunk3ds(0x4130).text("material" + std::to_string(m)).u16(1).u16(0));
    Chunk3ds vertices(0x4110);
    vertices.u16(3).f32(0).f32(0).f32(0).f32(1).f32(0).f32(0).f32(0).f32(1).f32(0);
    editor.child(Chunk3ds(0x4000).text("o").child(Chunk3ds(0x4100).child(vertices).child(faces)));
    const std::vector<std::uint8_t> bytes = Chunk3ds(0x4D4D).child(Chunk3ds(0x0002).u32(3)).child(editor).bytes();
    for (auto _ : state) {
        ModelMesh mesh;
        read3ds(bytes.data(), bytes.size(), mesh, nullptr);
        benchmark::DoNotOptimize(mesh.indices.size());
    }
    state.counters["fileKiB"] = double(bytes.size()) / 1024.0;
    state.SetComplexityN(n);
}
BENCHMARK(BM_3dsManyMaterials)->Arg(20000)->Arg(40000)->Arg(80000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);

BENCHMARK(BM_ObjOurs)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ObjAssimp)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_3dsOurs)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_3dsAssimp)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Ogg60sOurs)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Ogg60sVorbisfileLoop)->Unit(benchmark::kMillisecond);

// The files are made before any timing starts.
int main(int argc, char** argv)
{
    files();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
